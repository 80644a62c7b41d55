#include "update/version_compare.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

struct VersionCase {
  const char* remote;
  const char* installed;
  bool newer;
};

TEST(VersionCompare, ComparesByteByByte) {
  const VersionCase cases[] = {
      {"2010.1.3", "2010.1.2", true},
      {"2010.1.2", "2010.1.2", false},
      {"2010.1.10", "2010.1.2", false},  // not numeric: '1' < '2' decides
      {"2010.1.2a", "2010.1.2", true},   // the longer of a prefix pair is greater
      {"2011", "2010.1.2", true},
      {"2010", "2010.1.2", false},
      {"1", "", true},  // no installed version: anything is newer
      {"", "", false},
      {"", "2010.1.2", false},
      {"a", "B", true},        // case-sensitive: 'a' (0x61) > 'B' (0x42)
      {"\xE9", "z", true},     // bytes above 0x7F count as unsigned
      {"z", "\xE9", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsNewerVersion(c.remote, c.installed), c.newer) << c.remote << " vs " << c.installed;
}

}  // namespace
}  // namespace nv
