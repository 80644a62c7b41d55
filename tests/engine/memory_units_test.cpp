#include "engine/memory_units.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "engine/auto_optimization.h"

namespace nv {
namespace {

constexpr uint64_t KB = 1024;
constexpr uint64_t MB = 1048576;
constexpr uint64_t GB = 1024 * MB;

struct ConversionCase {
  uint64_t bytes;
  uint64_t megabytesDown, megabytesNearest, kilobytesDown, kilobytesNearest;
};

class Conversions : public testing::TestWithParam<ConversionCase> {};

TEST_P(Conversions, RoundAsSpecifiedForEachUnit) {
  const auto& c = GetParam();
  EXPECT_EQ(MegabytesDown(c.bytes), c.megabytesDown);
  EXPECT_EQ(MegabytesNearest(c.bytes), c.megabytesNearest);
  EXPECT_EQ(KilobytesDown(c.bytes), c.kilobytesDown);
  EXPECT_EQ(KilobytesNearest(c.bytes), c.kilobytesNearest);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conversions,
    testing::Values(
        ConversionCase{0, 0, 0, 0, 0},
        ConversionCase{1536, 0, 0, 1, 2},                          // 1.5 K goes up to the even 2
        ConversionCase{2047, 0, 0, 1, 2},
        ConversionCase{2560, 0, 0, 2, 2},                          // 2.5 K goes down to the even 2
        ConversionCase{3584, 0, 0, 3, 4},
        ConversionCase{524288, 0, 0, 512, 512},                    // 0.5 MB goes to 0
        ConversionCase{MB - 1, 0, 1, 1023, 1024},
        ConversionCase{MB, 1, 1, 1024, 1024},
        ConversionCase{1572864, 1, 2, 1536, 1536},                 // 1.5 MB
        ConversionCase{2621440, 2, 2, 2560, 2560},                 // 2.5 MB shows as 2 in both
        ConversionCase{2883584, 2, 3, 2816, 2816},                 // 2.75 MB: label 3, gauge 2
        ConversionCase{1073217536, 1023, 1024, 1048064, 1048064},  // 1023.5 MB
        ConversionCase{4294967295u, 4095, 4096, 4194303, 4194304},
        // Counts beyond 53 bits stay exact: an exact half far up still goes to the even side.
        ConversionCase{(uint64_t{1} << 62) + MB / 2, uint64_t{1} << 42, uint64_t{1} << 42,
                       (uint64_t{1} << 52) + 512, (uint64_t{1} << 52) + 512},
        ConversionCase{(uint64_t{1} << 62) + 3 * MB / 2, (uint64_t{1} << 42) + 1, (uint64_t{1} << 42) + 2,
                       (uint64_t{1} << 52) + 1536, (uint64_t{1} << 52) + 1536},
        ConversionCase{(uint64_t{1} << 62) + KB + KB / 2, uint64_t{1} << 42, uint64_t{1} << 42,
                       (uint64_t{1} << 52) + 1, (uint64_t{1} << 52) + 2},
        ConversionCase{UINT64_MAX, (uint64_t{1} << 44) - 1, uint64_t{1} << 44, (uint64_t{1} << 54) - 1,
                       uint64_t{1} << 54}));

TEST(DerivedFigures, UsedAndRatiosComeFromOneSnapshot) {
  MemoryStatusEx s;
  s.ullTotalPhys = 1610612736;
  s.ullAvailPhys = 805306368;
  s.ullTotalPageFile = 4 * GB;
  s.ullAvailPageFile = 1 * GB;
  EXPECT_EQ(UsedPhys(s), 805306368u);
  EXPECT_EQ(UsedPageFile(s), 3 * GB);
  EXPECT_EQ(AvailPhysRatio(s), 0.5L);
  EXPECT_EQ(UsedPhysRatio(s), 0.5L);
  EXPECT_EQ(UsedPageFileRatio(s), 0.75L);
}

// Exactly the threshold's share available is enough, a byte less is not, whatever the sizes:
// the share and the threshold must round alike for the boundary to hold.
TEST(DerivedFigures, TheStopTestHoldsItsBoundaryForAnySize) {
  for (uint64_t unit : {uint64_t{1}, uint64_t{3}, uint64_t{7}, uint64_t{4096}, uint64_t{1} << 20, uint64_t{12345679}}) {
    for (int percent = 1; percent <= 100; ++percent) {
      MemoryStatusEx s;
      s.ullTotalPhys = 100 * unit;
      s.ullAvailPhys = static_cast<uint64_t>(percent) * unit;
      EXPECT_TRUE(EnoughMemoryAvailable(s, percent)) << unit << " x " << percent;
      --s.ullAvailPhys;
      EXPECT_FALSE(EnoughMemoryAvailable(s, percent)) << unit << " x " << percent << " less a byte";
    }
  }
}

TEST(DerivedFigures, TweakSizeIsAllOfPhysicalMemory) {
  for (uint64_t total : {512 * MB, 4 * GB, 4 * GB + 512 * MB, 16 * GB}) {
    MemoryStatusEx s;
    s.ullTotalPhys = total;
    EXPECT_EQ(TweakSize(s), total);
  }
}

}  // namespace
}  // namespace nv
