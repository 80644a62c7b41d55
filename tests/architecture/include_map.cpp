#include "include_map.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

namespace nv::test {

namespace fs = std::filesystem;

namespace {

constexpr char kTableHeading[] = "## Folders and what they may include";
constexpr char kAnyTestsFolder[] = "tests/<folder>/";
constexpr char kFolderUnderTest[] = "<folder>/";

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream stream(line);
  for (std::string cell; std::getline(stream, cell, '|');) cells.push_back(cell);
  return cells;
}

std::vector<std::string> QuotedNames(const std::string& cell) {
  std::vector<std::string> names;
  static const std::regex quoted("`([^`]+)`");
  for (std::sregex_iterator it(cell.begin(), cell.end(), quoted), end; it != end; ++it) names.push_back((*it)[1]);
  return names;
}

bool IsSource(const fs::path& path) {
  const std::string name = path.filename().string();
  for (const char* end : {".h", ".hpp", ".cpp", ".c", ".h.in"})
    if (name.ends_with(end)) return true;
  return false;
}

// The folder of `relative` as the table knows it, and its row; nullptr when no row covers it.
std::pair<std::string, const FolderRow*> RowOf(const std::string& relative,
                                               const std::map<std::string, FolderRow>& table) {
  std::string best;
  for (const auto& [folder, row] : table)
    if (relative.starts_with(folder) && folder.size() > best.size()) best = folder;
  if (best.empty() && relative.starts_with("tests/") && table.contains(kAnyTestsFolder)) {
    const size_t slash = relative.find('/', 6);
    if (slash != std::string::npos) return {relative.substr(0, slash + 1), &table.at(kAnyTestsFolder)};
  }
  if (best.empty()) return {"", nullptr};
  return {best, &table.at(best)};
}

// The path under `root` that a quoted include names: beside the including file, then from
// tests/ for a test, then from the root; as written when it is generated in the build tree.
std::string Resolve(const fs::path& root, const std::string& includer, const std::string& name) {
  const fs::path beside = fs::path(includer).parent_path() / name;
  if (fs::exists(root / beside)) return beside.lexically_normal().string();
  if (includer.starts_with("tests/") && fs::exists(root / "tests" / name)) return "tests/" + name;
  return name;
}

std::set<std::string> Allowed(const std::string& folder, const FolderRow& row,
                              const std::map<std::string, FolderRow>& table) {
  std::set<std::string> allowed{folder};
  for (const std::string& name : row.mayInclude) {
    if (name != kFolderUnderTest) {
      allowed.insert(name);
      continue;
    }
    const std::string underTest = folder.substr(6);  // "tests/engine/" tests "engine/"
    allowed.insert(underTest);
    if (const auto it = table.find(underTest); row.withRowOfFolder && it != table.end())
      allowed.insert(it->second.mayInclude.begin(), it->second.mayInclude.end());
  }
  return allowed;
}

// A listed folder with a row of its own is that folder only; one without (`platform/linux/`)
// names the group of rows under it.
bool Covers(const std::set<std::string>& allowed, const std::string& target,
            const std::map<std::string, FolderRow>& table) {
  return std::any_of(allowed.begin(), allowed.end(), [&](const std::string& folder) {
    return folder == target || (!table.contains(folder) && target.starts_with(folder));
  });
}

}  // namespace

std::map<std::string, FolderRow> ReadFolderTable(const fs::path& architecture) {
  std::ifstream file(architecture);
  std::map<std::string, FolderRow> table;
  bool inSection = false, pastHeader = false;
  for (std::string line; std::getline(file, line);) {
    if (line.starts_with("## ")) inSection = line == kTableHeading;
    if (!inSection || !line.starts_with('|')) {
      if (inSection && pastHeader) break;
      continue;
    }
    if (!pastHeader || line.find("---") != std::string::npos) {
      pastHeader = true;  // the heading row and the line under it
      continue;
    }
    const auto cells = Cells(line);
    if (cells.size() < 4) continue;
    FolderRow row;
    const std::string& may = cells[3];
    for (const std::string& name : QuotedNames(may))
      if (name.ends_with('/')) row.mayInclude.insert(name);
    row.anything = may.find("anything") != std::string::npos;
    row.standardOnly = may.find("the standard library only") != std::string::npos;
    row.withRowOfFolder = may.find("the folders its row lists") != std::string::npos;
    for (const std::string& folder : QuotedNames(cells[1]))
      if (folder.ends_with('/')) table[folder] = row;
  }
  return table;
}

std::vector<std::string> IncludesOutsideTheMap(const fs::path& root, const std::map<std::string, FolderRow>& table) {
  static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<std::string> faults;
  for (const auto& top : fs::directory_iterator(root)) {
    const std::string topName = top.path().filename().string();
    if (!top.is_directory() || topName.starts_with('.') || topName.starts_with("build")) continue;
    for (const auto& entry : fs::recursive_directory_iterator(top.path())) {
      if (!entry.is_regular_file() || !IsSource(entry.path())) continue;
      const std::string file = fs::relative(entry.path(), root).string();
      const auto [folder, row] = RowOf(file, table);
      if (row == nullptr) {
        faults.push_back(file + ": its folder has no row in the table");
        continue;
      }
      if (row->anything) continue;
      const std::set<std::string> allowed = Allowed(folder, *row, table);
      std::ifstream text(entry.path());
      int lineNumber = 0;
      for (std::string line; std::getline(text, line);) {
        ++lineNumber;
        std::smatch m;
        if (!std::regex_search(line, m, include)) continue;
        const std::string name = m[2];
        const std::string where = file + ":" + std::to_string(lineNumber);
        if (m[1] == "<") {
          // The C++ library's headers are lower-case words: <cstdint>, <string_view>.
          if (row->standardOnly && name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos)
            faults.push_back(where + ": <" + name + "> is outside the standard library, which is all " + folder +
                             " may include from outside the tree");
          continue;
        }
        const auto [target, targetRow] = RowOf(Resolve(root, file, name), table);
        if (targetRow == nullptr || Covers(allowed, target, table)) continue;  // generated beside the file
        faults.push_back(where + ": \"" + name + "\" is in " + target + ", which the row of " + folder +
                         " does not list");
      }
    }
  }
  return faults;
}

}  // namespace nv::test
