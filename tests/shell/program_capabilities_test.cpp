// The program started from a file that carries capabilities, as a mistaken setcap would leave
// it: it holds none once it runs.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/child_process.h"
#include "platform/temp_folder.h"
#include "reclaim/installed_copy.h"
#include "shell/program_home_variables.h"

namespace {

std::string StatusField(pid_t pid, const std::string& key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(key + ":\t", 0) == 0) return line.substr(key.size() + 2);
  return {};
}

TEST(ProgramCapabilities, ACopyGivenCapabilitiesDropsThemAllAtStartAndSaysSo) {
  if (const std::string why = nv::test::WhyNotAsNobodyWithCapabilities(); !why.empty()) GTEST_SKIP() << why;
  nv::test::InstalledCopy install;
  const std::string program = install.Add(NORVANE_BINARY);
  ASSERT_EQ(std::system(("setcap cap_sys_ptrace,cap_sys_nice+ep " + program).c_str()), 0);

  nv::test::TempFolder dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string home = dir / "home";
  ASSERT_TRUE(nv::test::MakeRuntimeFolder(home));
  const passwd* nobody = ::getpwnam("nobody");
  for (const std::string& own : {home, home + "/run"}) ASSERT_EQ(::chown(own.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  std::string start = "exec " + nv::test::AsNobody() + "env -i";
  for (const auto& [name, value] : nv::test::ProgramHomeVariables(home)) start += " " + name + "=" + value;
  start += " NORVANE_UPDATE_HOST=127.0.0.1:9 QT_QPA_PLATFORM=offscreen " + program + " 2>&1";
  nv::test::ChildProcess running({"/bin/sh", "-c", start});

  // The instance mark is taken after the drop, before the window is made.
  const std::string mark = home + "/run/NorvaneEvent20070409";
  for (int i = 0; i < 300 && !std::filesystem::exists(mark); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(std::filesystem::exists(mark)) << "the program did not start";
  EXPECT_EQ(StatusField(running.pid(), "CapPrm"), "0000000000000000");
  EXPECT_EQ(StatusField(running.pid(), "CapEff"), "0000000000000000");
  EXPECT_EQ(StatusField(running.pid(), "CapAmb"), "0000000000000000");
  const std::string said = running.ReadLine();
  EXPECT_NE(said.find("cap_sys_ptrace,cap_sys_nice=ep"), std::string::npos) << said;
  EXPECT_NE(said.find("They were dropped"), std::string::npos) << said;
  EXPECT_NE(said.find("sudo setcap -r " + program), std::string::npos) << said;
}

}  // namespace
