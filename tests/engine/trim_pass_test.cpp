#include "engine/trim_pass.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/fake_trim_services.h"
#include "engine/idle_rule.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_reclaim.h"

namespace nv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr uint64_t kMB = uint64_t{1} << 20;

ProcessWalkEntry Entry(uint32_t pid, uint64_t cpuTime, uint64_t startTime = 100) {
  ProcessWalkEntry entry;
  entry.ProcessID = pid;
  entry.CpuTime = cpuTime;
  entry.StartTime = startTime;
  return entry;
}

TEST(IdleRule, PagesOutOnlyProcessesThatRanIdleSinceThePreviousSnapshot) {
  IdleRule rule;
  const TrimTargets first = rule.Split({Entry(10, 5), Entry(11, 7), Entry(12, 9), Entry(13, 1)}, std::nullopt,
                                       TrimScope::Idle);
  EXPECT_THAT(first.pageOut, IsEmpty()) << "with no previous snapshot nothing is known to be idle";
  EXPECT_THAT(first.cold, ElementsAre(10u, 11u, 12u, 13u));

  // 10 idle; 11 used CPU time; 12 idle but owns the focused window; 13's pid now belongs to a
  // process started later; 14 is new.
  const TrimTargets second = rule.Split(
      {Entry(10, 5), Entry(11, 8), Entry(12, 9), Entry(13, 1, 900), Entry(14, 0)}, 12u, TrimScope::Idle);
  EXPECT_THAT(second.pageOut, ElementsAre(10u));
  EXPECT_THAT(second.cold, ElementsAre(11u, 12u, 13u, 14u));

  // 10 stayed idle since it was paged out; 11 is idle now; 14 ran.
  const TrimTargets third = rule.Split({Entry(10, 5), Entry(11, 8), Entry(14, 2)}, std::nullopt, TrimScope::Idle);
  EXPECT_EQ(third.stillOut, 1u);
  EXPECT_THAT(third.pageOut, ElementsAre(11u));
  EXPECT_THAT(third.cold, ElementsAre(14u));

  const TrimTargets everything = rule.Split({Entry(10, 5), Entry(12, 9), Entry(15, 0)}, 12u, TrimScope::Everything);
  EXPECT_THAT(everything.pageOut, ElementsAre(10u, 12u, 15u)) << "asked for everything, it pages out again";
  EXPECT_THAT(everything.cold, IsEmpty());
}

class TrimPassTest : public ::testing::Test, protected test::FakeTrimServices {
 protected:
  TrimPassTest() {
    processes.Add(10, "idle").cpuTime = 5;
    processes.Add(11, "busy").cpuTime = 7;
    processes.Add(12, "focused").cpuTime = 3;
    meter.counters = {1000 * kMB, 0, 50 * kMB};
    reclaimer.availableBytes = &meter.counters.availableBytes;
    reclaimer.pageOutBytes = {{10, 300 * kMB}, {11, 200 * kMB}};
  }
};

TEST_F(TrimPassTest, GivesEachKindOfAdviceInOneCallAndMeasuresTheResult) {
  pass.Observe();
  processes.table[1].cpuTime = 8;
  focus.pid = 12;
  const TrimPassFigures& figures = pass.Run(TrimScope::Idle);
  ASSERT_EQ(reclaimer.calls.size(), 2u);
  EXPECT_THAT(reclaimer.Advised(ReclaimAdvice::PageOut), ElementsAre(10u));
  EXPECT_THAT(reclaimer.Advised(ReclaimAdvice::Cold), ElementsAre(11u, 12u));
  EXPECT_EQ(figures.PagedOut(), 300 * kMB);
  EXPECT_TRUE(figures.measured);
  EXPECT_EQ(figures.availableChange, int64_t(300 * kMB));
  EXPECT_EQ(TrimResultLine(figures), "Last pass: 300 MB paged out, 300 MB more available, 0 MB came back");
}

TEST_F(TrimPassTest, CountsWhatCameBackForTenSecondsAndTheAvailableMemoryOnceSettled) {
  pass.Run(TrimScope::Everything);
  EXPECT_EQ(reclaimer.calls.size(), 1u) << "no cold call without cold targets";
  EXPECT_TRUE(pass.Watching());
  // Pages freed in a burst reach the free count late.
  meter.counters.availableBytes += 30 * kMB;
  pass.Watch(TrimClock::now());
  EXPECT_EQ(pass.Last()->availableChange, int64_t(500 * kMB)) << "not settled yet";
  meter.counters.cameBackBytes += 9 * kMB;
  pass.Watch(TrimClock::now() + kSettleTime);
  EXPECT_EQ(pass.Last()->availableChange, int64_t(530 * kMB));
  meter.counters.availableBytes -= 100 * kMB;
  pass.Watch(TrimClock::now() + std::chrono::seconds(4));
  EXPECT_EQ(pass.Last()->availableChange, int64_t(530 * kMB)) << "later changes are not the pass's";
  EXPECT_TRUE(pass.Watching());
  EXPECT_EQ(pass.Last()->cameBack, 9 * kMB);
  meter.counters.cameBackBytes += 40 * kMB;
  pass.Watch(TrimClock::now() + std::chrono::seconds(11));
  EXPECT_FALSE(pass.Watching());
  EXPECT_EQ(pass.Last()->watched, kCameBackWindow);
  meter.counters.cameBackBytes += 700 * kMB;
  pass.Watch(TrimClock::now() + std::chrono::seconds(30));
  EXPECT_EQ(pass.Last()->cameBack, 49 * kMB) << "what comes back after the window is not the pass's";
  EXPECT_EQ(TrimResultLine(*pass.Last()), "Last pass: 500 MB paged out, 530 MB more available, 49 MB came back");
}

TEST_F(TrimPassTest, AnUnreadableMeterOrAFailedWalkTrimsOrTellsNoMoreThanItKnows) {
  meter.fails = true;
  pass.Run(TrimScope::Everything);
  EXPECT_FALSE(pass.Last()->measured);
  EXPECT_EQ(TrimResultLine(*pass.Last()), "Last pass: 500 MB paged out");
  pass.Watch(TrimClock::now() + std::chrono::seconds(11));
  EXPECT_FALSE(pass.Watching());

  processes.walkFails = true;
  reclaimer.calls.clear();
  pass.Run(TrimScope::Everything);
  EXPECT_THAT(reclaimer.calls, IsEmpty());
  EXPECT_EQ(pass.Last()->PagedOut(), 0u);
}

TEST(TrimResultLine, TellsPagesStillCachedInSwapFromMemoryMadeAvailable) {
  struct Case {
    const char* what;
    uint64_t pagedOut;
    int64_t available, swapCached;
    uint64_t cameBack;
    const char* line;
  };
  const Case cases[] = {
      {"zram swap: the pages left memory", 530 * kMB, 533 * int64_t(kMB), 0, 0,
       "Last pass: 530 MB paged out, 533 MB more available, 0 MB came back"},
      {"swap file: the pages stay in the swap cache", 531 * kMB, 0, 527 * int64_t(kMB), 0,
       "Last pass: 531 MB paged out (527 MB to swap, still cached), 0 MB more available, 0 MB came back"},
      {"swap cache grew by more than was paged out", 10 * kMB, 2 * int64_t(kMB), 80 * int64_t(kMB), kMB,
       "Last pass: 10 MB paged out (10 MB to swap, still cached), 2 MB more available, 1 MB came back"},
      {"others took memory meanwhile", 20 * kMB, -5 * int64_t(kMB), -3 * int64_t(kMB), 12 * kMB,
       "Last pass: 20 MB paged out, 5 MB less available, 12 MB came back"},
  };
  for (const auto& c : cases) {
    TrimPassFigures figures;
    figures.pageOut.bytesPagedOut = c.pagedOut;
    figures.measured = true;
    figures.availableChange = c.available;
    figures.swapCachedChange = c.swapCached;
    figures.cameBack = c.cameBack;
    EXPECT_EQ(TrimResultLine(figures), c.line) << c.what;
  }
}

}  // namespace
}  // namespace nv
