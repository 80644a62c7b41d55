// Several processes and users on the same hives.
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/linux/registry/hive_environment.h"
#include "platform/linux/registry/hive_text.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

namespace fs = std::filesystem;
using test::ReadText;

HiveLocations LocationsIn(const test::TempFolder& dir) {
  return HiveLocations{dir / "HKEY_LOCAL_MACHINE.reg", dir / "HKEY_CURRENT_USER.reg", dir / "VirtualStore.reg",
                       dir / "autostart", dir / "autostart", true};
}

// Runs `body` in a child process; the child's exit status is 0 when it returned true.
pid_t Spawn(const std::function<bool()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = body();
    } catch (...) {
    }
    ::_exit(ok ? 0 : 1);
  }
  return pid;
}

int ExitStatus(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(HiveProcesses, WritersRacingOnOneHiveLoseNothing) {
  test::TempFolder dir;
  constexpr int kWriters = 4, kValues = 25;
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.push_back(Spawn([&, w] {
      char go;
      ::close(gate[1]);
      if (::read(gate[0], &go, 1) != 0) return false;  // released together when the gate closes
      HiveRegistry registry(LocationsIn(dir));
      auto key = registry.Open(RootKey::HKeyCurrentUser, "Software\\Race", true);
      for (int v = 0; v < kValues; ++v)
        if (!key || !(*key)->Write("w" + std::to_string(w) + "-" + std::to_string(v), RegValue::Dword(v))) return false;
      return true;
    }));
  }
  ::close(gate[0]);
  ::close(gate[1]);
  for (pid_t pid : writers) EXPECT_EQ(ExitStatus(pid), 0);

  const Hive hive = ParseHive(ReadText(dir / "HKEY_CURRENT_USER.reg"), "HKEY_CURRENT_USER");
  ASSERT_NE(hive.FindKey("Software\\Race"), nullptr);
  EXPECT_EQ(hive.FindKey("Software\\Race")->values.size(), size_t{kWriters * kValues});
  for (int w = 0; w < kWriters; ++w)
    for (int v = 0; v < kValues; ++v)
      EXPECT_NE(hive.FindValue("Software\\Race", "w" + std::to_string(w) + "-" + std::to_string(v)), nullptr);
}

TEST(HiveProcesses, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  test::TempFolder dir;
  const std::vector<uint8_t> blob(64 * 1024, 0x5A);  // long enough for writes to be caught midway
  {
    HiveRegistry registry(LocationsIn(dir));
    auto key = registry.Open(RootKey::HKeyLocalMachine, "Software\\Norvane", true).value();
    ASSERT_TRUE(key->Write("Blob", RegValue::Binary(blob)));
    ASSERT_TRUE(key->Write("Counter", RegValue::Dword(0)));
  }
  std::mt19937 random(20070409);
  uint32_t lastSeen = 0;
  for (int round = 0; round < 40; ++round) {
    const pid_t writer = Spawn([&] {
      HiveRegistry registry(LocationsIn(dir));
      auto key = registry.Open(RootKey::HKeyLocalMachine, "Software\\Norvane", false);
      if (!key) return false;
      for (uint32_t n = lastSeen + 1;; ++n)
        if (!(*key)->Write("Counter", RegValue::Dword(n))) return false;
    });
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    ::kill(writer, SIGKILL);
    EXPECT_EQ(ExitStatus(writer), 128 + SIGKILL) << "the writer stopped by itself";

    const Hive hive = ParseHive(ReadText(dir / "HKEY_LOCAL_MACHINE.reg"), "HKEY_LOCAL_MACHINE");
    ASSERT_NE(hive.FindValue("Software\\Norvane", "Blob"), nullptr) << "round " << round;
    EXPECT_EQ(hive.FindValue("Software\\Norvane", "Blob")->data, blob);
    ASSERT_NE(hive.FindValue("Software\\Norvane", "Counter"), nullptr);
    const uint32_t counter = hive.FindValue("Software\\Norvane", "Counter")->AsDword();
    EXPECT_GE(counter, lastSeen);
    lastSeen = counter;
  }
  // The next write clears the temporary files of the killed writers.
  HiveRegistry registry(LocationsIn(dir));
  ASSERT_TRUE(registry.Open(RootKey::HKeyLocalMachine, "Software\\Norvane", false).value()->Write("Done", RegValue::Dword(1)));
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

// The program run by a normal user: settings and autostart go to that user, the paging-file
// setting is refused.
TEST(HiveProcesses, AnUnprivilegedUserGetsAVirtualStoreAndItsOwnAutostart) {
  const passwd* nobody = ::getpwnam("nobody");
  if (::geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root to become the user nobody";
  test::TempFolder dir;
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  const std::string registryDir = dir / "registry", home = dir / "home";
  const std::string pagingKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
  {
    ::setenv("NORVANE_REGISTRY_DIR", registryDir.c_str(), 1);
    auto machine = MakeHiveRegistry();
    ASSERT_TRUE(machine->Open(RootKey::HKeyLocalMachine, pagingKey, true));
  }
  fs::create_directories(registryDir + "/VirtualStore");
  fs::create_directories(home);
  for (const auto& own : {registryDir + "/VirtualStore", home})
    ASSERT_EQ(::chown(own.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  const std::string machineBefore = ReadText(registryDir + "/HKEY_LOCAL_MACHINE.reg");

  const pid_t user = Spawn([&] {
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) return false;
    ::setenv("HOME", home.c_str(), 1);
    for (const char* unset : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "NORVANE_AUTOSTART_DIR"}) ::unsetenv(unset);
    auto registry = MakeHiveRegistry();
    auto settings = registry->Open(RootKey::HKeyLocalMachine, "Software\\Norvane", true);
    auto run = registry->Open(RootKey::HKeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true);
    auto paging = registry->Open(RootKey::HKeyLocalMachine, pagingKey, true);
    return settings && (*settings)->Write("NvSetInfo", RegValue::Binary({1, 2, 3})) &&
           (*settings)->Read("NvSetInfo") == RegValue::Binary({1, 2, 3}) && run &&
           (*run)->Write("Velqor Norvane", RegValue::String("/usr/bin/norvane")) && paging &&
           !(*paging)->Write("PagingFiles", RegValue::String("C:\\pagefile.sys 0 0", reg::MultiSz));
  });
  ::unsetenv("NORVANE_REGISTRY_DIR");
  EXPECT_EQ(ExitStatus(user), 0);

  const Hive virtualStore = ParseHive(ReadText(registryDir + "/VirtualStore/HKEY_LOCAL_MACHINE.reg"), "HKEY_LOCAL_MACHINE");
  ASSERT_NE(virtualStore.FindValue("Software\\Norvane", "NvSetInfo"), nullptr);
  EXPECT_EQ(ReadText(registryDir + "/HKEY_LOCAL_MACHINE.reg"), machineBefore);
  const std::string entry = home + "/.config/autostart/velqor-norvane.desktop";
  ASSERT_TRUE(fs::exists(entry));
  struct stat st {};
  ASSERT_EQ(::stat(entry.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, nobody->pw_uid);
}

}  // namespace
}  // namespace nv
