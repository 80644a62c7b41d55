#include "update/virtual_store.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nv {
namespace {

class CacheEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_CACHE_HOME"})
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
  }
  void TearDown() override {
    ::unsetenv("HOME");
    ::unsetenv("XDG_CACHE_HOME");
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(CacheEnvironment, TheStoreIsUnderTheUsersCacheFolderAndNeverInASharedOne) {
  const bool root = ::geteuid() == 0;
  ::setenv("XDG_CACHE_HOME", "/srv/cache", 1);
  EXPECT_EQ(VirtualStore::DefaultRoot(), "/srv/cache/norvane/VirtualStore");
  ::setenv("XDG_CACHE_HOME", "relative/cache", 1);
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(VirtualStore::DefaultRoot(), root ? "/var/cache/norvane/VirtualStore" : "/home/someone/.cache/norvane/VirtualStore");

  // Neither set: the home folder the password database gives, as a login would; root's files
  // are the system's.
  ::unsetenv("XDG_CACHE_HOME");
  ::unsetenv("HOME");
  const passwd* account = ::getpwuid(::geteuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(VirtualStore::DefaultRoot(),
            root ? std::string("/var/cache/norvane/VirtualStore") : std::string(account->pw_dir) + "/.cache/norvane/VirtualStore");
}

}  // namespace
}  // namespace nv
