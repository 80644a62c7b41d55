#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "child_process.h"
#include "platform/temp_folder.h"
#include "platform/linux/system/linux_instance_event.h"

namespace nv {
namespace {

using test::ChildProcess;

class InstanceEventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/nv_instance_XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
    lockPath_ = dir_ + "/NorvaneEvent20070409";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A second program start, as its own process.
  std::unique_ptr<ChildProcess> Start() {
    return std::make_unique<ChildProcess>(std::vector<std::string>{NV_HELPER, "instance", lockPath_});
  }

  std::string dir_;
  std::string lockPath_;
};

TEST_F(InstanceEventTest, ASecondStartFindsTheRunningInstanceUntilItEnds) {
  auto first = Start();
  ASSERT_EQ(first->ReadLine(), "marked");
  auto second = Start();
  EXPECT_EQ(second->ReadLine(), "running");
  EXPECT_EQ(second->Wait(), 0);

  first->CloseInput();  // the first instance ends normally
  EXPECT_EQ(first->Wait(), 0);
  auto third = Start();
  EXPECT_EQ(third->ReadLine(), "marked");
}

TEST_F(InstanceEventTest, TheMarkDiesWithAKilledInstance) {
  auto first = Start();
  ASSERT_EQ(first->ReadLine(), "marked");
  first->Kill();
  auto next = Start();
  EXPECT_EQ(next->ReadLine(), "marked");
}

TEST_F(InstanceEventTest, TestTakesTheMarkAndResetReleasesIt) {
  LinuxInstanceEvent event(lockPath_);
  EXPECT_FALSE(event.IsInstanceRunning());
  EXPECT_TRUE(event.IsInstanceRunning());  // marked by the test itself
  event.SignalInstanceEvent();
  EXPECT_EQ(Start()->ReadLine(), "running");

  event.ResetInstanceEvent();
  auto other = Start();
  EXPECT_EQ(other->ReadLine(), "marked");
  // Another process holds it now; this one's reset cannot drop that.
  LinuxInstanceEvent again(lockPath_);
  again.ResetInstanceEvent();
  EXPECT_TRUE(again.IsInstanceRunning());
}

TEST_F(InstanceEventTest, AFileThatIsNotOursIsNeverTrusted) {
  // A link planted at the path is not followed.
  const std::string target = dir_ + "/elsewhere";
  { std::ofstream(target) << ""; }
  ASSERT_EQ(::symlink(target.c_str(), lockPath_.c_str()), 0);
  LinuxInstanceEvent linked(lockPath_);
  EXPECT_FALSE(linked.IsInstanceRunning());
  EXPECT_FALSE(linked.IsInstanceRunning());  // and it did not mark either
  ::unlink(lockPath_.c_str());

  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  { std::ofstream(lockPath_) << ""; }
  ASSERT_EQ(::chown(lockPath_.c_str(), 65534, 65534), 0);
  auto holder = Start();  // another user's file: the start runs unmarked
  EXPECT_EQ(holder->ReadLine(), "marked");
  LinuxInstanceEvent planted(lockPath_);
  EXPECT_FALSE(planted.IsInstanceRunning());
}

// Sets an environment variable for the scope, or clears it when `value` is null.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* saved = std::getenv(name)) saved_ = saved;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedVariable() { saved_ ? ::setenv(name_, saved_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(InstanceLockPath, RuntimeDirectoryElseAPrivateFolderThatNoOtherUserCanPlant) {
  {
    ScopedVariable runtime("XDG_RUNTIME_DIR", "/run/user/1234");
    EXPECT_EQ(DefaultInstanceLockPath(), "/run/user/1234/NorvaneEvent20070409");
  }
  const test::TempFolder scratch;
  const std::filesystem::path dir = scratch.Path();
  ScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
  ScopedVariable temp("TMPDIR", dir.c_str());
  ScopedVariable home("HOME", (dir / "home").c_str());
  std::filesystem::create_directory(dir / "home");
  const std::string uid = std::to_string(::geteuid());
  const auto folder = dir / ("norvane-" + uid), inHome = dir / "home/.cache" / ("norvane-" + uid);
  const auto isPrivate = [](const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 0777) == 0700;
  };

  EXPECT_EQ(DefaultInstanceLockPath(), (folder / "NorvaneEvent20070409").string());
  EXPECT_TRUE(isPrivate(folder));
  EXPECT_EQ(DefaultInstanceLockPath(), (folder / "NorvaneEvent20070409").string()) << "found again";

  // A link planted at the name, or a folder others may enter, is passed over for the home's.
  std::filesystem::remove(folder);
  std::filesystem::create_directory(dir / "planted");
  std::filesystem::create_directory_symlink(dir / "planted", folder);
  EXPECT_EQ(DefaultInstanceLockPath(), (inHome / "NorvaneEvent20070409").string());
  EXPECT_TRUE(isPrivate(inHome));
  std::filesystem::remove(folder);
  std::filesystem::create_directory(folder);
  std::filesystem::permissions(folder, std::filesystem::perms::all);
  EXPECT_EQ(DefaultInstanceLockPath(), (inHome / "NorvaneEvent20070409").string());
  if (::geteuid() == 0) {
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    EXPECT_EQ(DefaultInstanceLockPath(), (inHome / "NorvaneEvent20070409").string()) << "another user's folder";
  }

  // Without a home folder to fall back on there is no place at all, never one relative to the
  // working folder, and the reason names the folders tried.
  ScopedVariable noHome("HOME", "/proc/no-such-home");
  EXPECT_EQ(DefaultInstanceLockPath(), "");
  EXPECT_EQ(NoPrivateFolderReason(), "no private folder was found for it: XDG_RUNTIME_DIR is not set, and neither " +
                                         folder.string() + " nor /proc/no-such-home/.cache/norvane-" + uid +
                                         " is a folder of this user's closed to others");
  LinuxInstanceEvent event(DefaultInstanceLockPath());
  EXPECT_FALSE(event.IsInstanceRunning());
  EXPECT_EQ(event.LockProblem(), NoPrivateFolderReason());
}

}  // namespace
}  // namespace nv
