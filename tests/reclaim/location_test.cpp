#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/temp_folder.h"
#include "reclaim/safe_location.h"

namespace nv::reclaim {
namespace {

// `helper` inside `parent/folder`, both made afresh in a root-owned temporary folder.
class HelperLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    ::chmod(root_.Path().c_str(), 0755);
    parent_ = root_ / "parent";
    folder_ = parent_ + "/folder";
    helper_ = folder_ + "/helper";
    test::WriteText(helper_, "#!/bin/true\n");
    for (const std::string& path : {parent_, folder_, helper_}) ::chmod(path.c_str(), 0755);
  }
  void TearDown() override {
    if (fd_ >= 0) ::close(fd_);
  }

  std::string Reason(const std::string& named) {
    if (fd_ < 0) fd_ = ::open(helper_.c_str(), O_RDONLY | O_CLOEXEC);
    return UnsafeLocationReason(fd_, named);
  }

  test::TempFolder root_;
  std::string parent_, folder_, helper_;
  int fd_ = -1;
};

TEST_F(HelperLocation, AFileOfAnyoneButRootIsRefused) {
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(helper_.c_str(), 65534, 65534), 0);
  }
  EXPECT_EQ(Reason(helper_), helper_ + " can be changed by a user other than root");
}

TEST_F(HelperLocation, RootAloneMayChangeTheFileItsFolderAndEveryFolderAbove) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to own the files examined";
  struct Case {
    std::string path;
    mode_t mode;
    std::string reason;  // empty: accepted
  } const cases[] = {
      {helper_, 0755, ""},
      {helper_, 0700, ""},
      {helper_, 0775, helper_ + " can be changed by a user other than root"},
      {helper_, 0757, helper_ + " can be changed by a user other than root"},
      {folder_, 0775, "the folder " + folder_ + " can be changed by a user other than root"},
      {folder_, 01777, "the folder " + folder_ + " can be changed by a user other than root"},
      {parent_, 0777, "the folder " + parent_ + " can be changed by a user other than root"},
      {parent_, 01777, ""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(::chmod(c.path.c_str(), c.mode), 0);
    EXPECT_EQ(Reason(helper_), c.reason) << c.path << " mode " << std::oct << c.mode;
    ASSERT_EQ(::chmod(c.path.c_str(), 0755), 0);
  }
  ASSERT_EQ(::chown(folder_.c_str(), 65534, 65534), 0);
  EXPECT_EQ(Reason(helper_), "the folder " + folder_ + " can be changed by a user other than root");
}

TEST_F(HelperLocation, ANameThatIsNotTheRunningFileIsRefused) {
  test::WriteText(folder_ + "/other", "x");
  EXPECT_EQ(Reason(folder_ + "/other"), "its own file was moved or removed after it started");
  EXPECT_EQ(Reason("helper"), "its own file was moved or removed after it started");
  EXPECT_EQ(Reason(helper_ + " (deleted)"), "its own file was moved or removed after it started");
}

}  // namespace
}  // namespace nv::reclaim
