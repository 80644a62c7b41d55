#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/registry/hive_registry.h"
#include "platform/temp_folder.h"
#include "update/product_values.h"

namespace nv {
namespace {

// Counts the files renamed into a folder under one name: each durable write of a hive ends in
// one such rename.
class RenameCounter {
 public:
  RenameCounter(const std::string& folder, std::string name) : fd_(::inotify_init1(IN_NONBLOCK)), name_(std::move(name)) {
    EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO), 0) << std::strerror(errno);
  }
  ~RenameCounter() { ::close(fd_); }
  int Count() {
    alignas(inotify_event) char buffer[16384];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
      for (char* p = buffer; p < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(p);
        if (event->len && name_ == event->name) ++count_;
        p += sizeof(inotify_event) + event->len;
      }
    return count_;
  }

 private:
  int fd_;
  std::string name_;
  int count_ = 0;
};

TEST(ProductValuesInTheUserHive, AFirstStartWritesThemInOneWriteAndTheNextStartWritesNothing) {
  ::setenv("NORVANE_UPDATE_HOST", "updates.example", 1);
  test::TempFolder dir;
  const HiveLocations locations{dir / "HKEY_LOCAL_MACHINE.reg", dir / "HKEY_CURRENT_USER.reg",
                                dir / "VirtualStore/HKEY_LOCAL_MACHINE.reg", dir / "etc-autostart",
                                dir / "home-autostart", false};
  RenameCounter renames(dir.Path().string(), "HKEY_CURRENT_USER.reg");
  {
    HiveRegistry registry(locations);
    EXPECT_TRUE(LoadProductValues(registry, "2010.1.2"));
  }
  EXPECT_EQ(renames.Count(), 1);

  HiveRegistry registry(locations);
  const auto values = registry.Values(RootKey::HKeyCurrentUser, kProductKey);
  ASSERT_TRUE(values.has_value());
  const std::vector<HiveValue> expected{
      {"Version", RegValue::String("2010.1.2")},
      {"HelpURL", RegValue::String("http://updates.example/products/system-utility/velqor-norvane/help/")},
      {"HomePage", RegValue::String("http://updates.example/products/system-utility/velqor-norvane/")},
      {"CheckUpdate", RegValue::Dword(1)},
  };
  EXPECT_EQ(*values, expected);
  EXPECT_EQ(InstalledVersion(registry), "2010.1.2");

  EXPECT_TRUE(LoadProductValues(registry, "2010.1.2"));
  EXPECT_EQ(renames.Count(), 1);
  EXPECT_TRUE(LoadProductValues(registry, "2010.1.3"));
  EXPECT_EQ(renames.Count(), 2);
  ::unsetenv("NORVANE_UPDATE_HOST");
}

}  // namespace
}  // namespace nv
