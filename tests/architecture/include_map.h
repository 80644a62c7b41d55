#pragma once
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace nv::test {

// One row of the folder table of ARCHITECTURE.md.
struct FolderRow {
  std::set<std::string> mayInclude;  // folders, each ending in '/'
  bool anything = false;             // "anything"
  bool standardOnly = false;         // "the standard library only": no other angle-bracket header
  bool withRowOfFolder = false;      // the tests row: "`<folder>/` and the folders its row lists"
};

// The table under "## Folders and what they may include", by folder ("tests/<folder>/" stands
// for every tests folder without a row of its own). Empty when the file has no such table.
std::map<std::string, FolderRow> ReadFolderTable(const std::filesystem::path& architecture);

// Every #include of the sources under `root` that names a folder its file's row does not list,
// and every source file without a row, as lines a person can read.
std::vector<std::string> IncludesOutsideTheMap(const std::filesystem::path& root,
                                               const std::map<std::string, FolderRow>& table);

}  // namespace nv::test
