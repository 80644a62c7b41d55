// The folder table of ARCHITECTURE.md is the one place that says which folder may include
// which; this suite holds every #include of the tree to it, so the map cannot drift.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "include_map.h"

namespace nv::test {
namespace {

namespace fs = std::filesystem;

const fs::path kRoot = NV_SOURCE_DIR;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

TEST(IncludeMap, EveryIncludeOfTheTreeNamesAFolderItsRowLists) {
  const auto table = ReadFolderTable(kRoot / "ARCHITECTURE.md");
  ASSERT_GE(table.size(), 10u) << "the folder table of ARCHITECTURE.md was not found";
  for (const auto& [folder, row] : table) {
    if (folder != "tests/<folder>/") {
      EXPECT_TRUE(fs::is_directory(kRoot / folder)) << folder << " has a row but no folder";
    }
    for (const auto& name : row.mayInclude) {
      if (name == "<folder>/") continue;
      EXPECT_TRUE(fs::is_directory(kRoot / name)) << folder << " lists " << name << ", no folder";
    }
  }
  const auto faults = IncludesOutsideTheMap(kRoot, table);
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

// A small tree of its own: the check finds an include its row does not list (also between two
// subfolders of one listed folder), a header from outside the standard library in a folder kept
// to it, and a folder without a row.
TEST(IncludeMap, APlantedIncludeOfAFolderOffTheRowIsFound) {
  const fs::path root = fs::temp_directory_path() / ("nv-include-map-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const auto write = [&root](const std::string& name, const std::string& text) {
    fs::create_directories((root / name).parent_path());
    std::ofstream(root / name) << text;
  };
  write("ARCHITECTURE.md",
        "# Map\n\n## Folders and what they may include\n\n| folder | what | may include |\n|---|---|---|\n"
        "| `platform/` | interfaces | the standard library only |\n"
        "| `engine/` | logic | `platform/`; the standard library only |\n"
        "| `platform/linux/system/` | processes | `platform/` |\n"
        "| `platform/linux/registry/` | hives | `platform/` |\n"
        "| `shell/` | the program | `engine/`, `platform/`, `platform/linux/`, Qt |\n"
        "| `tests/<folder>/` | suites | `<folder>/` and the folders its row lists |\n\n## Next\n| `x/` | y | z |\n");
  write("platform/memory.h", "#include <cstdint>\n");
  write("engine/trim.cpp", "#include \"engine/trim.h\"\n#include \"platform/memory.h\"\n#include <vector>\n");
  write("platform/linux/system/meminfo.h", "#include \"platform/memory.h\"\n");
  write("shell/main.cpp",
        "#include <QWidget>\n#include \"engine/trim.h\"\n#include \"platform/linux/system/meminfo.h\"\n");
  write("tests/engine/trim_test.cpp", "#include \"engine/trim.h\"\n#include \"platform/memory.h\"\n");
  const auto table = ReadFolderTable(root / "ARCHITECTURE.md");
  ASSERT_EQ(table.size(), 6u) << "only the rows of the folder table";
  EXPECT_TRUE(IncludesOutsideTheMap(root, table).empty()) << Joined(IncludesOutsideTheMap(root, table));

  write("engine/planted.cpp", "#include \"shell/main.h\"\n  #  include <QString>\n");
  write("tests/engine/planted_test.cpp", "#include \"shell/main.h\"\n");
  write("tools/gen.cpp", "int main() {}\n");
  write("platform/linux/registry/hive.cpp", "#include \"platform/linux/system/meminfo.h\"\n");
  const auto faults = IncludesOutsideTheMap(root, table);
  fs::remove_all(root);
  EXPECT_EQ(faults.size(), 5u) << Joined(faults);
  const std::string text = Joined(faults);
  EXPECT_NE(text.find("engine/planted.cpp:1: \"shell/main.h\" is in shell/, which the row of engine/ does not list"),
            std::string::npos) << text;
  EXPECT_NE(text.find("engine/planted.cpp:2: <QString> is outside the standard library"), std::string::npos) << text;
  EXPECT_NE(text.find("tests/engine/planted_test.cpp:1: \"shell/main.h\""), std::string::npos) << text;
  EXPECT_NE(text.find("tools/gen.cpp: its folder has no row"), std::string::npos) << text;
  EXPECT_NE(text.find("platform/linux/registry/hive.cpp:1: \"platform/linux/system/meminfo.h\" is in "
                      "platform/linux/system/, which the row of platform/linux/registry/ does not list"),
            std::string::npos) << text;
}

}  // namespace
}  // namespace nv::test
