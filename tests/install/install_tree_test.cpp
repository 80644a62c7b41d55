// `cmake --install` of this build into a fresh prefix: every piece where a desktop looks for
// it, each accepted by its validator, and the helper given its capabilities when the install
// runs as root (an install by another user says that it could not).
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/shell_command.h"
#include "platform/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using nv::test::RunCommand;

// Width and height from a PNG's header chunk.
std::pair<int, int> PngSize(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char header[24] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  const auto at = [&](int i) { return header[i] << 24 | header[i + 1] << 16 | header[i + 2] << 8 | header[i + 3]; };
  return {at(16), at(20)};
}

class InstallTree : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::permissions(dir_.Path(), fs::perms(0755), fs::perm_options::replace);
    installed_ = RunCommand("'" NV_CMAKE "' --install '" NV_BUILD_DIR "' --prefix '" + prefix_.string() + "' 2>&1");
    ASSERT_EQ(installed_.exit, 0) << installed_.out;
  }

  nv::test::TempFolder dir_;
  const fs::path prefix_ = dir_.Path() / "prefix";
  const fs::path share_ = prefix_ / "share";
  nv::test::CommandResult installed_;
};

TEST_F(InstallTree, PutsEveryPieceWhereTheDesktopLooksAndEachPassesItsValidator) {
  for (const char* program : {"bin/norvane", "bin/norvane-cli", NV_RECLAIM_RELATIVE_PATH, NV_FETCH_RELATIVE_PATH})
    EXPECT_EQ(::access((prefix_ / program).c_str(), X_OK), 0) << program;

  const fs::path entry = share_ / "applications/velqor-norvane.desktop";
  ASSERT_TRUE(fs::exists(entry));
  EXPECT_EQ(RunCommand("desktop-file-validate '" + entry.string() + "' 2>&1").out, "");
  const nv::test::CommandResult appstream = RunCommand("appstreamcli validate --no-net '" + (share_ / "metainfo/com.velqor.norvane.metainfo.xml").string() + "' 2>&1");
  EXPECT_EQ(appstream.exit, 0) << appstream.out;

  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const std::string side = std::to_string(size);
    const fs::path icon = share_ / "icons/hicolor" / (side + "x" + side) / "apps/velqor-norvane.png";
    EXPECT_EQ(PngSize(icon), std::make_pair(size, size)) << icon;
  }
  EXPECT_TRUE(fs::exists(share_ / "icons/hicolor/scalable/apps/velqor-norvane.svg"));

  const std::string action = RunCommand("cat '" + (share_ / "polkit-1/actions/com.velqor.norvane.trim-system.policy").string() + "'").out;
  EXPECT_NE(action.find("<annotate key=\"org.freedesktop.policykit.exec.path\">" NV_RECLAIM_PATH "</annotate>"),
            std::string::npos) << action;
  EXPECT_NE(action.find("<allow_active>auth_admin_keep</allow_active>"), std::string::npos) << action;

  for (const char* page : {"norvane", "norvane-cli"}) {
    const fs::path file = share_ / "man/man1" / (std::string(page) + ".1.gz");
    const nv::test::CommandResult shown = RunCommand("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l '" + file.string() + "' 2>&1 >/dev/null");
    EXPECT_EQ(shown.exit, 0) << file;
    EXPECT_EQ(shown.out, "") << file;
  }
}

// Every command the CLI knows (from its help), its exit codes and the variables it reads have
// their place in its manual page.
TEST_F(InstallTree, TheCliManualPageNamesEveryCommandExitCodeAndVariable) {
  const fs::path file = share_ / "man/man1/norvane-cli.1.gz";
  const std::string page = RunCommand("LC_ALL=C.UTF-8 MANWIDTH=200 man -l '" + file.string() + "' 2>/dev/null | col -b").out;
  const std::string synopsis = page.substr(0, page.find("DESCRIPTION"));
  // The help's entries: "  trim [--all] [--json]   Pages out ...".
  std::istringstream help(RunCommand("'" + (prefix_ / "bin/norvane-cli").string() + "' --help").out);
  int commands = 0;
  for (std::string line; std::getline(help, line);) {
    if (line.size() < 3 || line.rfind("  ", 0) != 0 || line[2] == ' ') continue;
    const std::string command = "norvane-cli " + line.substr(2, line.find_first_of(" ,", 2) - 2);
    EXPECT_NE(synopsis.find("\n       " + command), std::string::npos) << command;
    ++commands;
  }
  EXPECT_GE(commands, 8);
  // An entry of a list: its tag at the start of a line, alone or before its text.
  const auto hasEntry = [](const std::string& text, const std::string& tag) {
    const std::string start = "\n       " + tag;
    return text.find(start + "\n") != std::string::npos || text.find(start + " ") != std::string::npos;
  };
  const size_t exits = page.find("EXIT STATUS"), environment = page.find("ENVIRONMENT");
  ASSERT_LT(exits, environment);
  for (const char* code : {"0", "1", "2", "3", "4"}) EXPECT_TRUE(hasEntry(page.substr(exits, environment - exits), code)) << code;
  for (const char* variable : {"NORVANE_REGISTRY_DIR", "NORVANE_AUTOSTART_DIR", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "HOME"})
    EXPECT_TRUE(hasEntry(page.substr(environment), variable)) << variable;
  EXPECT_NE(page.find(NV_RECLAIM_PATH), std::string::npos);
}

TEST_F(InstallTree, GivesTheHelperItsCapabilitiesWhenRootInstalls) {
  const std::string capabilities = RunCommand("getcap '" + (prefix_ / NV_RECLAIM_RELATIVE_PATH).string() + "'").out;
  if (::geteuid() == 0) {
    EXPECT_NE(capabilities.find(" cap_sys_nice=ep"), std::string::npos) << installed_.out;
  } else {
    EXPECT_EQ(capabilities, "");
    EXPECT_NE(installed_.out.find("installed without its capabilities"), std::string::npos) << installed_.out;
  }
}

}  // namespace
