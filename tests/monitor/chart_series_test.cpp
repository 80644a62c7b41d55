#include "monitor/chart_series.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(ChartSeries, RollingKeepsFiftyPointsAndMovesTheLineOneStep) {
  ChartSeries s;
  s.Fill(50, 0);
  for (int i = 1; i <= 120; ++i) s.Roll(i);
  ASSERT_EQ(s.count(), 50);
  // The last 50 values, oldest at the left, still one unit apart.
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(s.y(i), 71 + i);
    EXPECT_EQ(s.x(i), 120 + i);
  }
}

TEST(ChartSeries, OneRollShiftsEveryValueLeftAndAddsTheNewestAtTheRight) {
  ChartSeries s;
  s.Fill(50, 0);
  s.Roll(3.5);
  s.Roll(-1);
  EXPECT_EQ(s.y(47), 0);
  EXPECT_EQ(s.y(48), 3.5);
  EXPECT_EQ(s.y(49), -1);
  EXPECT_EQ(s.x(49) - s.x(0), 49);
}

}  // namespace
}  // namespace nv
