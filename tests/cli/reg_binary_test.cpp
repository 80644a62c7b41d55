// The real `norvane-cli reg`, run by root and by the user nobody (through setpriv) on one
// registry folder.
#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/linux/hive_text.h"
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

}  // namespace
