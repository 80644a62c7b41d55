#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "child_process.h"
#include "platform/linux/linux_instance_event.h"

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

TEST(InstanceLockPath, RuntimeDirectoryElseTemporaryFolderWithUid) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved ? saved : "";
  ::setenv("XDG_RUNTIME_DIR", "/run/user/1234", 1);
  EXPECT_EQ(DefaultInstanceLockPath(), "/run/user/1234/NorvaneEvent20070409");
  ::unsetenv("XDG_RUNTIME_DIR");
  const std::string fallback = DefaultInstanceLockPath();
  EXPECT_EQ(std::filesystem::path(fallback).filename(), "NorvaneEvent20070409-" + std::to_string(::geteuid()));
  EXPECT_EQ(std::filesystem::path(fallback).parent_path(), std::filesystem::temp_directory_path());
  if (saved) ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}

}  // namespace
}  // namespace nv
