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

TEST(IdleRule, PagesOutProcessesIdleForTheAgeOnceUntilTheyRunAgain) {
  IdleRule rule(std::chrono::seconds(120));
  const TrimClock::time_point t0{};
  const auto at = [t0](int seconds) { return t0 + std::chrono::seconds(seconds); };
  const TrimTargets first = rule.Split({Entry(10, 5), Entry(11, 7), Entry(12, 9), Entry(13, 1)}, std::nullopt,
                                       TrimScope::Idle, at(0));
  EXPECT_THAT(first.pageOut, IsEmpty()) << "with no earlier look nothing is known to be idle";
  EXPECT_THAT(first.cold, IsEmpty()) << "and nothing is advised cold either";

  const TrimTargets early = rule.Split({Entry(10, 5), Entry(11, 7), Entry(12, 9), Entry(13, 1)}, std::nullopt,
                                       TrimScope::Idle, at(119));
  EXPECT_THAT(early.pageOut, IsEmpty()) << "idle for less than the age";

  // 10 idle for the age; 11 ran at 119 s; 12 idle but owns the focused window; 13's pid now
  // belongs to a process started later; 14 is new.
  const TrimTargets second = rule.Split(
      {Entry(10, 5), Entry(11, 8), Entry(12, 9), Entry(13, 1, 900), Entry(14, 0)}, 12u, TrimScope::Idle, at(120));
  EXPECT_THAT(second.pageOut, ElementsAre(10u));
  EXPECT_THAT(second.cold, ElementsAre(12u));

  // 10 and 12 stayed idle since their advice; 12 lost the focus, so it is paged out now.
  const TrimTargets third =
      rule.Split({Entry(10, 5), Entry(11, 8), Entry(12, 9), Entry(14, 0)}, std::nullopt, TrimScope::Idle, at(200));
  EXPECT_EQ(third.stillOut, 1u);
  EXPECT_THAT(third.pageOut, ElementsAre(12u));

  // 10 ran once at 300 s and went idle again: paged out again one age later, not before.
  EXPECT_THAT(rule.Split({Entry(10, 6), Entry(11, 8)}, std::nullopt, TrimScope::Idle, at(300)).pageOut,
              ElementsAre(11u));
  EXPECT_THAT(rule.Split({Entry(10, 6), Entry(11, 8)}, std::nullopt, TrimScope::Idle, at(419)).pageOut, IsEmpty());
  EXPECT_THAT(rule.Split({Entry(10, 6), Entry(11, 8)}, std::nullopt, TrimScope::Idle, at(420)).pageOut,
              ElementsAre(10u));

  const TrimTargets everything =
      rule.Split({Entry(10, 6), Entry(12, 9), Entry(15, 0)}, 12u, TrimScope::Everything, at(421));
  EXPECT_THAT(everything.pageOut, ElementsAre(10u, 12u, 15u)) << "asked for everything, it pages out again";
  EXPECT_THAT(everything.cold, IsEmpty());
}

TEST(IdleRule, AtTheDefaultAgeAProcessAtWorkEveryFiveSecondsIsNeverPagedOutAndAnIdleOneOnce) {
  test::FakeTrimServices trim;
  auto& worker = trim.processes.Add(20, "touches 100 MiB every 5 s");
  trim.processes.Add(21, "idle");
  trim.reclaimer.pageOutBytes = {{20, 100 * kMB}, {21, 100 * kMB}};
  const TrimClock::time_point t0{};
  std::vector<int> pagedOutAt;
  for (int second = 0; second <= 600; ++second) {
    if (second % 5 == 0) ++worker.cpuTime;
    const size_t before = trim.reclaimer.Advised(ReclaimAdvice::PageOut).size();
    trim.pass.Run(TrimScope::Idle, t0 + std::chrono::seconds(second));
    if (trim.reclaimer.Advised(ReclaimAdvice::PageOut).size() > before) pagedOutAt.push_back(second);
  }
  EXPECT_THAT(trim.reclaimer.Advised(ReclaimAdvice::PageOut), ElementsAre(21u));
  EXPECT_THAT(pagedOutAt, ElementsAre(int(kDefaultIdleAge.count())));
  EXPECT_THAT(trim.reclaimer.Advised(ReclaimAdvice::Cold), IsEmpty()) << "the one at work gets no advice";
}

class TrimPassTest : public ::testing::Test, protected test::FakeTrimServices {
 protected:
  TrimPassTest() {
    processes.Add(10, "idle").cpuTime = 5;
    processes.Add(11, "busy").cpuTime = 7;
    processes.Add(12, "focused").cpuTime = 3;
    for (auto& p : processes.table) p.residentBytes = 400 * kMB;
    meter.counters = {1000 * kMB, 0, 50 * kMB};
    reclaimer.availableBytes = &meter.counters.availableBytes;
    reclaimer.pageOutBytes = {{10, 300 * kMB}, {11, 200 * kMB}};
  }
};

TEST_F(TrimPassTest, GivesEachKindOfAdviceInOneCallAndMeasuresTheResult) {
  const TrimClock::time_point t0 = TrimClock::now();
  pass.Observe(t0);
  processes.table[1].cpuTime = 8;
  focus.pid = 12;
  const TrimPassFigures& figures = pass.Run(TrimScope::Idle, t0 + kDefaultIdleAge);
  ASSERT_EQ(reclaimer.calls.size(), 2u);
  EXPECT_THAT(reclaimer.Advised(ReclaimAdvice::PageOut), ElementsAre(10u));
  EXPECT_THAT(reclaimer.Advised(ReclaimAdvice::Cold), ElementsAre(12u));
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
  processes.table[0].residentBytes += 9 * kMB;
  pass.Watch(TrimClock::now() + kSettleTime);
  EXPECT_EQ(pass.Last()->availableChange, int64_t(530 * kMB));
  meter.counters.availableBytes -= 100 * kMB;
  pass.Watch(TrimClock::now() + std::chrono::seconds(4));
  EXPECT_EQ(pass.Last()->availableChange, int64_t(530 * kMB)) << "later changes are not the pass's";
  EXPECT_TRUE(pass.Watching());
  EXPECT_EQ(pass.Last()->cameBack, 9 * kMB);
  processes.table[1].residentBytes += 40 * kMB;
  meter.counters.cameBackBytes += 49 * kMB;
  pass.Watch(TrimClock::now() + std::chrono::seconds(11));
  EXPECT_FALSE(pass.Watching());
  EXPECT_EQ(pass.Last()->watched, kCameBackWindow);
  EXPECT_EQ(pass.Last()->cameBackSystem, 49 * kMB) << "the whole system's figure is kept beside";
  processes.table[1].residentBytes += 150 * kMB;
  pass.Watch(TrimClock::now() + std::chrono::seconds(30));
  EXPECT_EQ(pass.Last()->cameBack, 49 * kMB) << "what comes back after the window is not the pass's";
  EXPECT_EQ(TrimResultLine(*pass.Last()), "Last pass: 500 MB paged out, 530 MB more available, 49 MB came back");
}

// What came back is counted on the processes the pass paged out alone: what other processes
// read back, however much, is not the pass's doing.
TEST_F(TrimPassTest, CameBackCountsOnlyTheProcessesPagedOutAndNeverMoreThanTheyGaveUp) {
  struct Case {
    const char* what;
    uint64_t systemRefaults;  // bytes the whole machine read back meanwhile
    uint64_t otherFaults, otherGrowth;  // of process 13, which the pass did not page out
    uint64_t ownFaults, ownGrowth;      // of process 10, paged out by 300 MB
    bool reused;                        // 10's pid went to a new process meanwhile
    uint64_t cameBack;
  };
  const uint64_t page = 4096;
  const Case cases[] = {
      {"nothing faulted anywhere", 0, 0, 0, 0, 0, false, 0},
      {"others refault a gigabyte", 1024 * kMB, 250'000, 900 * kMB, 0, 0, false, 0},
      {"its own swap-ins: one page a fault", 1024 * kMB, 250'000, 900 * kMB, 2560, 0, false, 10 * kMB},
      {"a file read ahead: more pages than faults", 0, 0, 0, 16, 20 * kMB, false, 20 * kMB},
      {"new memory beyond what it gave up", 0, 0, 0, 0, 800 * kMB, false, 300 * kMB},
      {"the pid went to a new process", 0, 0, 0, 5000, 100 * kMB, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakeTrimServices trim;
    auto& own = trim.processes.Add(10, "idle");
    own.residentBytes = 400 * kMB;
    auto& other = trim.processes.Add(13, "elsewhere");
    other.residentBytes = 100 * kMB;
    trim.reclaimer.pageOutBytes = {{10, 300 * kMB}};
    const TrimClock::time_point t0 = TrimClock::now();
    trim.pass.Observe(t0);
    ++other.cpuTime;
    const TrimPassFigures& figures = trim.pass.Run(TrimScope::Idle, t0 + kDefaultIdleAge);
    ASSERT_THAT(trim.reclaimer.Advised(ReclaimAdvice::PageOut), ElementsAre(10u));

    trim.meter.counters.cameBackBytes += c.systemRefaults;
    other.majorFaults += c.otherFaults;
    other.residentBytes += c.otherGrowth;
    own.majorFaults += c.ownFaults;
    own.residentBytes += c.ownGrowth;
    if (c.reused) own.startTime += 1000;
    trim.pass.Watch(t0 + kDefaultIdleAge + kCameBackWindow);

    EXPECT_EQ(figures.cameBack, c.cameBack);
    EXPECT_EQ(figures.cameBackSystem, c.systemRefaults);
    EXPECT_EQ(page, trim.meter.counters.pageBytes);
    // A pass whose pages stayed out helped, whatever the others did: the next tick may pass.
    EXPECT_EQ(trim.backoff.Wait(trim.pass).has_value(), c.cameBack * 2 > figures.PagedOut()) << TrimResultLine(figures);
  }
}

TEST_F(TrimPassTest, WithFreeSwapDownToItsReserveTheLineSaysNothingWentToSwap) {
  struct Case {
    const char* what;
    uint64_t total, free;
    const char* line;
  };
  const Case cases[] = {
      {"4 GiB swap, 300 MB free: under a tenth", 4096 * kMB, 300 * kMB,
       "Last pass: 500 MB paged out, 500 MB more available, 0 MB came back; swap nearly full (300 MB free): "
       "nothing went to swap"},
      {"4 GiB swap, 420 MB free: above a tenth", 4096 * kMB, 420 * kMB,
       "Last pass: 500 MB paged out, 500 MB more available, 0 MB came back"},
      {"1 GiB swap, 250 MB free: under 256 MiB", 1024 * kMB, 250 * kMB,
       "Last pass: 500 MB paged out, 500 MB more available, 0 MB came back; swap nearly full (250 MB free): "
       "nothing went to swap"},
      {"no swap at all", 0, 0, "Last pass: 500 MB paged out, 500 MB more available, 0 MB came back"},
  };
  for (const auto& c : cases) {
    meter.counters.swapTotalBytes = c.total;
    meter.counters.swapFreeBytes = c.free;
    meter.counters.availableBytes = 1000 * kMB;
    EXPECT_EQ(TrimResultLine(pass.Run(TrimScope::Everything)), c.line) << c.what;
  }
  EXPECT_EQ(SwapRoomBytes(4096 * kMB, 420 * kMB), 420 * kMB - 4096 * kMB / 10);
  EXPECT_EQ(SwapRoomBytes(4096 * kMB, 300 * kMB), 0u);
  EXPECT_EQ(SwapRoomBytes(0, 0), 0u);
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
