#include "engine/timer_interval.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

namespace nv {
namespace {

TEST(TimerIntervalMs, SecondsOrTheLongestIntervalWhenThereIsNoUsableOne) {
  const std::pair<int, int> cases[] = {{1, 1000},       {59, 59000},      {0, INT_MAX},
                                       {-1, INT_MAX},   {2147483, 2147483000}, {2147484, INT_MAX}};
  for (auto [seconds, ms] : cases) EXPECT_EQ(TimerIntervalMs(seconds), ms) << seconds;
}

}  // namespace
}  // namespace nv
