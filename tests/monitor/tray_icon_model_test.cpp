#include "monitor/tray_icon_model.h"

#include <gtest/gtest.h>

#include <limits>

namespace nv {
namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kOrange{255, 128, 64};
constexpr Rgb kPurple{128, 0, 128};
constexpr Rgb kGreen{0, 128, 0};

// Up to 9,999 MB the megabytes, right-aligned in three places; from 10,000 MB on the nearest
// whole gigabytes with a G, so that the figure never needs more room than four digits.
TEST(TrayIconFigure, MegabytesThenGigabytes) {
  const struct {
    uint64_t free;
    const char* figure;
  } cases[] = {
      {0, "  0"},      {7, "  7"},       {42, " 42"},       {512, "512"},        {2048, "2048"},
      {9999, "9999"},  {10000, "10G"},   {23300, "23G"},    {23039, "22G"},      {102400, "100G"},
      {1048575, "1024G"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrayIconFigure(c.free), c.figure) << c.free;
}

TEST(TrayIconBars, MemoryBarsTurnRedOnlyAboveEightTenths) {
  struct Case {
    long double ratio;
    int width;
    bool red;
  } cases[] = {
      {0.8L, 12, false}, {0.81L, 12, true}, {1.0L, 16, true},
      {0.5L, 8, false},  {1.0L / 17, 0, false}, {0.0L, 0, false},
  };
  for (const auto& c : cases) {
    const TrayIconBars bars = MakeTrayIconBars(c.ratio, c.ratio, 0);
    EXPECT_EQ(bars.physical.width, c.width) << static_cast<double>(c.ratio);
    EXPECT_EQ(bars.pageFile.width, c.width) << static_cast<double>(c.ratio);
    EXPECT_EQ(bars.physical.colour, c.red ? kRed : kOrange) << static_cast<double>(c.ratio);
    EXPECT_EQ(bars.pageFile.colour, c.red ? kRed : kPurple) << static_cast<double>(c.ratio);
  }
}

TEST(TrayIconBars, CpuBarTruncatesTwiceAndStaysOnTheIcon) {
  struct Case {
    double cpu;
    int width;
    bool red;
  } cases[] = {
      {80, 12, false}, {81, 12, true}, {100, 16, true}, {99, 15, true}, {7, 1, false},
      {6, 0, false},   {-1, 0, false}, {-50, 0, false}, {150, 16, true}, {6.3, 1, false},
  };
  for (const auto& c : cases) {
    const TrayIconBars bars = MakeTrayIconBars(0, 0, c.cpu);
    EXPECT_EQ(bars.cpu.width, c.width) << c.cpu;
    EXPECT_EQ(bars.cpu.colour, c.red ? kRed : kGreen) << c.cpu;
  }
}

TEST(TrayIconBars, FiguresOutOfReachStayOnTheIcon) {
  // A zero total gives 0/0; a sampler gone wild gives a huge value.
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const TrayIconBars bars = MakeTrayIconBars(nan, std::numeric_limits<long double>::infinity(), 1e300);
  EXPECT_EQ(bars.physical.width, 0);
  EXPECT_EQ(bars.pageFile.width, 16);
  EXPECT_EQ(bars.cpu.width, 16);
}

}  // namespace
}  // namespace nv
