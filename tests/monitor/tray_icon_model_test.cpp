#include "monitor/tray_icon_model.h"

#include <gtest/gtest.h>

#include <limits>

namespace nv {
namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kOrange{255, 128, 64};
constexpr Rgb kPurple{128, 0, 128};
constexpr Rgb kGreen{0, 128, 0};

TEST(TrayIconText, PaddingHeightAndPlacementFollowTheDigitCount) {
  struct Case {
    uint64_t free;
    const char* text;
    int height, y;
  } cases[] = {
      {7, "  7", 10, -1},      {42, " 42", 10, -1},   {512, "512", 10, -1},
      {2048, "2048", 8, 0},    {0, "  0", 10, -1},    {9999, "9999", 8, 0},
  };
  for (const auto& c : cases) {
    const TrayIconText t = MakeTrayIconText(c.free, 99);
    EXPECT_EQ(t.text, c.text) << c.free;
    EXPECT_EQ(t.fontHeight, c.height) << c.free;
    EXPECT_EQ(t.y, c.y) << c.free;
  }
}

TEST(TrayIconText, FiveDigitsKeepThePreviousHeight) {
  for (int previous : {8, 10}) {
    const TrayIconText t = MakeTrayIconText(10240, previous);
    EXPECT_EQ(t.text, "10240");
    EXPECT_EQ(t.fontHeight, previous);
    EXPECT_EQ(t.y, -1);
  }
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
