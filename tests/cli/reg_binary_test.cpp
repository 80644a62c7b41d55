// The real `norvane-cli reg`, run by root and by the user nobody (through setpriv) on one
// registry folder.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/child_process.h"
#include "platform/linux/registry/hive_text.h"
#include "platform/reachable_copy.h"
#include "platform/shell_command.h"
#include "platform/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using nv::test::RunCommand;

TEST(RegBinary, AnUnprivilegedUserKeepsItsSettingsApartAndCannotSetThePagingFile) {
  const passwd* nobody = ::getpwnam("nobody");
  if (::geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root to run as the user nobody";
  nv::test::TempFolder dir;
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  const std::string registry = dir / "registry", home = dir / "home";
  const std::string env = "env -i HOME='" + home + "' NORVANE_REGISTRY_DIR='" + registry + "' ";
  const nv::test::ReachableCopy cli(NORVANE_CLI);
  const std::string asRoot = env + NORVANE_CLI " reg ";
  const std::string asNobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups " + env + cli.Path() + " reg ";
  const std::string paging = "'HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management'";

  ASSERT_EQ(RunCommand(asRoot + "add " + paging + " PagingFiles REG_MULTI_SZ 'C:\\pagefile.sys 4096 8192'").exit, 0);
  fs::create_directories(registry + "/VirtualStore");
  fs::create_directories(home);
  for (const auto& own : {registry + "/VirtualStore", home})
    ASSERT_EQ(::chown(own.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  const std::string machine = nv::test::ReadText(registry + "/HKEY_LOCAL_MACHINE.reg");

  EXPECT_EQ(RunCommand(asNobody + "add HKLM\\\\Software\\\\Norvane NvSetInfo REG_BINARY 0102").exit, 0);
  EXPECT_EQ(RunCommand(asNobody + "query HKLM\\\\Software\\\\Norvane NvSetInfo").out,
            "HKEY_LOCAL_MACHINE\\Software\\Norvane\n    NvSetInfo    REG_BINARY    0102\n");
  EXPECT_EQ(RunCommand(asNobody + "add HKLM\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run 'Velqor Norvane' "
                             "REG_SZ /usr/bin/norvane").exit,
            0);
  EXPECT_TRUE(fs::exists(home + "/.config/autostart/velqor-norvane.desktop"));
  EXPECT_EQ(RunCommand(asNobody + "add " + paging + " PagingFiles REG_MULTI_SZ 'C:\\pagefile.sys 0 0'").exit, 1);
  EXPECT_EQ(RunCommand(asNobody + "query " + paging + " PagingFiles").out,
            "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\n"
            "    PagingFiles    REG_MULTI_SZ    C:\\pagefile.sys 4096 8192\n");
  EXPECT_EQ(nv::test::ReadText(registry + "/HKEY_LOCAL_MACHINE.reg"), machine);
  EXPECT_EQ(RunCommand(asRoot + "query HKLM\\\\Software\\\\Norvane NvSetInfo").exit, 1) << "root sees the machine's values";
}

// strace stops the writer with SIGKILL before the n-th call of one file system call, for
// every n until the write completes: every step of a write is cut off once.
TEST(RegBinary, AWriteKilledBeforeAnyOfItsFileCallsLeavesTheOldOrTheNewHive) {
  if (std::system("command -v strace >/dev/null") != 0) GTEST_SKIP() << "needs strace";
  nv::test::TempFolder dir;
  const std::string hive = dir / "HKEY_CURRENT_USER.reg";
  const std::string env = "env -i HOME='" + dir.Path().string() + "' NORVANE_REGISTRY_DIR='" + dir.Path().string() + "' ";
  const std::string add = env + NORVANE_CLI " reg add HKCU\\\\Software\\\\Norvane ";
  ASSERT_EQ(RunCommand(add + "Blob REG_BINARY " + std::string(8192, 'a')).exit, 0);
  ASSERT_EQ(RunCommand(add + "Counter REG_DWORD 0").exit, 0);
  const std::vector<uint8_t> blob(4096, 0xAA);

  uint32_t stored = 0;
  for (const std::string call : {"openat", "flock", "getdents64", "write", "fchmod", "fsync", "close", "rename", "unlink"}) {
    for (int n = 1;; ++n) {
      ASSERT_LT(n, 1000) << call << " never let the write complete";
      const uint32_t next = stored + 1;
      const int exit = RunCommand("strace -o /dev/null -e inject=" + call + ":signal=KILL:when=" + std::to_string(n) + " " +
                             add + "Counter REG_DWORD " + std::to_string(next))
                           .exit;
      nv::Hive after;
      ASSERT_NO_THROW(after = nv::ParseHive(nv::test::ReadText(hive), "HKEY_CURRENT_USER")) << call << " #" << n;
      ASSERT_NE(after.FindValue("Software\\Norvane", "Counter"), nullptr) << call << " #" << n;
      const uint32_t counter = after.FindValue("Software\\Norvane", "Counter")->AsDword();
      EXPECT_TRUE(counter == stored || counter == next) << call << " #" << n << ": " << counter;
      EXPECT_EQ(after.FindValue("Software\\Norvane", "Blob")->data, blob) << call << " #" << n;
      stored = counter;
      if (exit == 0) {
        EXPECT_EQ(counter, next);
        break;
      }
    }
  }
}

TEST(RegBinary, AFullDiskOrAReadOnlyFileSystemIsNamedInsteadOfAccessDenied) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system in a mount namespace of its own needs root";
  nv::test::TempFolder dir;
  const std::string registry = dir / "registry", hive = registry + "/HKEY_CURRENT_USER.reg";
  fs::create_directories(registry);
  struct Case {
    const char* what;
    std::string mount, message;
  } cases[] = {
      {"a full disk", "mount -t tmpfs -o size=64k tmpfs " + registry + " && cat /dev/zero > " + registry + "/filler;",
       "ERROR: There is not enough space on the disk to write the registry file \"" + hive + "\".\n"},
      {"a read-only file system", "mount -t tmpfs -o ro tmpfs " + registry + " &&",
       "ERROR: The registry file \"" + hive + "\" is on a read-only file system.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // The mount lives and dies with the namespace of this one command.
    const auto run = RunCommand("unshare --mount --propagation private sh -c '" + c.mount + " env -i NORVANE_REGISTRY_DIR=" +
                          registry + " " NORVANE_CLI " reg add HKCU\\\\Software\\\\Norvane Blob REG_BINARY 0102' 2>&1");
    EXPECT_EQ(run.exit, 1);
    EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
  }
  EXPECT_FALSE(fs::exists(hive)) << "the mounts were seen outside their namespace";
}

// The writers' lock of the machine hive is open to root alone: the user nobody, holding with
// flock whatever lock file they can reach, delays root's write not at all; and a lock that
// stays held (here by root itself) ends the write with its reason after the bound, not never.
TEST(RegBinary, NoOtherUserCanHoldTheMachineHiveAndAHeldLockFailsWithinItsBound) {
  const passwd* nobody = ::getpwnam("nobody");
  if (::geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root to run as the user nobody";
  nv::test::TempFolder dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string hive = dir / "HKEY_LOCAL_MACHINE.reg";
  const std::string add = "env -i NORVANE_REGISTRY_DIR='" + dir.Path().string() + "' " NORVANE_CLI
                          " reg add HKLM\\\\Software\\\\Norvane Counter REG_DWORD ";
  ASSERT_EQ(RunCommand(add + "1").exit, 0);
  const std::string lock = hive + ".writer-lock";
  struct stat st {};
  ASSERT_EQ(::stat(lock.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u) << "the lock file is open to others";

  // A lock file readable by all, as a careless version would have left it beside the hive.
  nv::test::WriteText(hive + ".lock", "");
  ::chmod((hive + ".lock").c_str(), 0644);
  const std::string asNobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
  EXPECT_NE(RunCommand(asNobody + "flock -n " + lock + " true 2>/dev/null").exit, 0) << "nobody could take the lock";
  nv::test::ChildProcess holder({"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                 "/usr/bin/flock", "-o", hive + ".lock", "/bin/sh", "-c", "echo ready; exec cat"});
  ASSERT_EQ(holder.ReadLine(), "ready");
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(RunCommand(add + "2").exit, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

  nv::test::ChildProcess rootHolder({"/usr/bin/flock", "-o", lock, "/bin/sh", "-c", "echo ready; exec cat"});
  ASSERT_EQ(rootHolder.ReadLine(), "ready");
  started = std::chrono::steady_clock::now();
  const auto held = RunCommand(add + "3 2>&1");
  const auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(held.exit, 1);
  EXPECT_EQ(held.out, "ERROR: The registry file \"" + hive + "\" was not written: another program has held the lock " +
                          lock + " for over 3 s.\n");
  EXPECT_GE(waited, std::chrono::seconds(3));
  EXPECT_LT(waited, std::chrono::seconds(8));
  EXPECT_EQ(RunCommand("env -i NORVANE_REGISTRY_DIR='" + dir.Path().string() + "' " NORVANE_CLI
                       " reg query HKLM\\\\Software\\\\Norvane Counter").out,
            "HKEY_LOCAL_MACHINE\\Software\\Norvane\n    Counter    REG_DWORD    0x2\n");
}

// The Run value and the autostart entry that mirrors it are written both or neither: with an
// autostart folder that cannot be made, the value is not stored either.
TEST(RegBinary, ARunValueWhoseAutostartEntryCannotBeWrittenIsNotStored) {
  nv::test::TempFolder dir;
  nv::test::WriteText(dir / "file", "");
  const std::string env = "env -i NORVANE_REGISTRY_DIR='" + dir.Path().string() + "' NORVANE_AUTOSTART_DIR='" +
                          (dir / "file") + "/autostart' " NORVANE_CLI " reg ";
  const std::string run = "HKLM\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run 'Velqor Norvane' ";
  EXPECT_EQ(RunCommand(env + "add " + run + "REG_SZ /usr/bin/norvane 2>/dev/null").exit, 1);
  EXPECT_EQ(RunCommand(env + "query " + run + "2>/dev/null").exit, 1) << "the value was stored without its entry";
}

}  // namespace
