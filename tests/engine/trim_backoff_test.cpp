#include "engine/trim_backoff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/fake_trim_services.h"

namespace nv {
namespace {

constexpr uint64_t kMB = uint64_t{1} << 20;

// One process paged out on every pass by a set amount, part of which comes back.
class TrimBackoffTest : public ::testing::Test, protected test::FakeTrimServices {
 protected:
  TrimBackoffTest() { processes.Add(10, "idle"); }

  // A tick: waits, or runs a pass that pages out `pagedOut` of which `cameBack` returns to the
  // process. Gives the waiting text, or "pass".
  std::string Tick(uint64_t pagedOut, uint64_t cameBack) {
    const auto waiting = backoff.Wait(pass);
    if (waiting) return *waiting;
    processes.table[0].residentBytes = pagedOut;
    reclaimer.pageOutBytes[10] = pagedOut;
    pass.Run(TrimScope::Everything);
    processes.table[0].residentBytes += cameBack;
    pass.Watch(TrimClock::now() + kCameBackWindow);
    return "pass";
  }
};

TEST_F(TrimBackoffTest, WaitsTwiceAsLongAfterEachPassThatDidNotHelpUpToThirtyTwoIntervals) {
  std::vector<std::string> ticks;
  for (int i = 0; i < 40; ++i) ticks.push_back(Tick(kMB / 2, 0));
  const std::string nothing = ": the last pass paged out less than 1 MB";
  const std::vector<std::string> expected = {
      "pass", "Auto-optimization waits 1 interval" + nothing,
      "pass", "Auto-optimization waits 2 intervals" + nothing, "Auto-optimization waits 1 interval" + nothing,
      "pass", "Auto-optimization waits 4 intervals" + nothing};
  EXPECT_EQ(std::vector<std::string>(ticks.begin(), ticks.begin() + 7), expected);
  // Passes after 1, 2, 4, 8 and 16 skipped intervals, then 32 at most.
  std::vector<size_t> passes;
  for (int i = 0; i < 200; ++i)
    if (Tick(0, 0) == "pass") passes.push_back(size_t(i));
  ASSERT_GE(passes.size(), 3u);
  EXPECT_EQ(passes[passes.size() - 1] - passes[passes.size() - 2], 33u);
  EXPECT_EQ(passes[passes.size() - 2] - passes[passes.size() - 3], 33u);
}

TEST_F(TrimBackoffTest, APassWhosePagesCameBackWaitsAndOneThatHelpsEndsTheWaiting) {
  EXPECT_EQ(Tick(100 * kMB, 51 * kMB), "pass");
  EXPECT_EQ(Tick(0, 0), "Auto-optimization waits 1 interval: the last pass came back");
  EXPECT_EQ(Tick(100 * kMB, 60 * kMB), "pass");
  EXPECT_EQ(Tick(0, 0), "Auto-optimization waits 2 intervals: the last pass came back");
  EXPECT_EQ(Tick(0, 0), "Auto-optimization waits 1 interval: the last pass came back");
  EXPECT_EQ(Tick(100 * kMB, 50 * kMB), "pass") << "half of it back still helped";
  EXPECT_EQ(Tick(100 * kMB, 80 * kMB), "pass") << "the helpful pass reset the wait";
  EXPECT_EQ(Tick(0, 0), "Auto-optimization waits 1 interval: the last pass came back");
}

}  // namespace
}  // namespace nv
