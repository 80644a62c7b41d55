// The package that cpack makes of this build, as a user of it gets it: installed with dpkg -i,
// the CLI run from PATH, the helper's capabilities, and a purge that leaves nothing behind.
// It changes the machine, so every exit path purges what it installed.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "platform/shell_command.h"
#include "platform/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using nv::test::CommandResult;

// Standard output and error of `command` together, for the messages of a failed step.
CommandResult Shell(const std::string& command) { return nv::test::RunCommand(command + " 2>&1"); }

// dpkg refuses at once while another package tool holds its lock: wait for it.
CommandResult Dpkg(const std::string& arguments) {
  for (int attempt = 0;; ++attempt) {
    CommandResult run = Shell("dpkg " + arguments);
    if (run.exit == 0 || run.out.find("lock") == std::string::npos || attempt == 300) return run;
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
}

bool PackageInstalled() {
  return Shell("dpkg-query -W -f='${Status}' norvane").out.find("install ok") != std::string::npos;
}

// Every path the package holds ("./usr/bin/norvane" listed as "/usr/bin/norvane").
std::vector<std::string> PackagePaths(const std::string& deb) {
  std::istringstream listing(Shell("dpkg-deb --fsys-tarfile '" + deb + "' | tar -t").out);
  std::vector<std::string> paths;
  for (std::string line; std::getline(listing, line);) {
    if (line.size() > 1 && line[0] == '.') line.erase(0, 1);
    while (line.size() > 1 && line.back() == '/') line.pop_back();
    if (line != "/" && !line.empty()) paths.push_back(line);
  }
  return paths;
}

// Purges the package at the end of the test, however it ends.
struct Purge {
  ~Purge() {
    if (PackageInstalled()) {
      const CommandResult purge = Dpkg("--purge norvane");
      EXPECT_EQ(purge.exit, 0) << purge.out;
    }
  }
};

TEST(DebPackage, InstallsRunsFromPathGivesTheHelperItsCapabilitiesAndPurgesClean) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to install a package with dpkg";
  if (PackageInstalled()) GTEST_SKIP() << "a norvane package is installed on this machine: the test leaves it alone";
  nv::test::TempFolder dir;
  const CommandResult made = Shell("'" NV_CPACK "' --config '" NV_CPACK_CONFIG "' -B '" + dir.Path().string() + "'");
  ASSERT_EQ(made.exit, 0) << made.out;
  std::string deb;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    if (entry.path().extension() == ".deb") deb = entry.path();
  ASSERT_FALSE(deb.empty()) << made.out;

  if (std::string(NV_INSTALL_PREFIX) == "/usr" && Shell("command -v lintian").exit == 0) {
    const CommandResult lint = Shell("lintian --fail-on error '" + deb + "'");
    EXPECT_EQ(lint.exit, 0) << lint.out;
  }

  const std::vector<std::string> paths = PackagePaths(deb);
  ASSERT_FALSE(paths.empty());
  std::map<std::string, bool> existedBefore;
  for (const auto& path : paths) {
    std::error_code error;
    const bool exists = fs::exists(path, error);
    if (exists && !fs::is_directory(path, error))
      GTEST_SKIP() << path << " is already on this machine: installing the package would overwrite it";
    existedBefore[path] = exists;
  }

  {
    Purge purge;
    const CommandResult install = Dpkg("-i '" + deb + "'");
    ASSERT_EQ(install.exit, 0) << install.out;

    const std::string path = "env PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin ";
    EXPECT_EQ(Shell(path + "sh -c 'command -v norvane-cli'").out, NV_INSTALL_PREFIX "/bin/norvane-cli\n");
    const CommandResult status = Shell(path + "norvane-cli status");
    EXPECT_EQ(status.exit, 0) << status.out;
    EXPECT_NE(status.out.find("\nTotalPhys "), std::string::npos) << status.out;
    EXPECT_EQ(Shell("getcap " NV_RECLAIM_PATH).out, NV_RECLAIM_PATH " cap_sys_nice=ep\n");
    const CommandResult purged = Dpkg("--purge norvane");
    EXPECT_EQ(purged.exit, 0) << purged.out;
  }

  EXPECT_FALSE(PackageInstalled());
  for (const auto& [path, existed] : existedBefore) EXPECT_EQ(fs::exists(path), existed) << path;
}

}  // namespace
