#include "engine/auto_optimization.h"

#include <gtest/gtest.h>

#include <utility>

#include "engine/fake_trim_services.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_memory.h"

namespace nv {
namespace {

using TrimServices = test::FakeTrimServices;

TEST(AutoOptimizationPass, StopTestAndClipboardFollowTheThreshold) {
  struct Case {
    const char* name;
    std::optional<int> threshold;
    uint64_t total, avail;
    bool trims;
  };
  // Decimal totals make the available share exactly a whole percent, so the boundary case
  // tests the comparison and not the rounding of the division.
  const Case cases[] = {
      {"75 % available, threshold 70", 70, 10'000'000'000, 7'500'000'000, false},
      {"exactly 70 % available, threshold 70", 70, 10'000'000'000, 7'000'000'000, false},
      {"just under 70 %", 70, 10'000'000'000, 6'999'999'999, true},
      {"threshold 100, all but a byte available", 100, 10'000'000'000, 9'999'999'999, true},
      {"threshold 100, everything available", 100, 10'000'000'000, 10'000'000'000, false},
      {"stop test off", std::nullopt, 10'000'000'000, 10'000'000'000, true},
      {"threshold 0", 0, 10'000'000'000, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeMemory memory;
    memory.status.ullTotalPhys = c.total;
    memory.status.ullAvailPhys = c.avail;
    TrimServices trim;
    trim.processes.Add(1, "init");
    trim.processes.Add(2, "editor");
    test::FakeClipboard clipboard;

    const AutoPassResult result =
        RunAutoOptimizationPass(memory, trim.pass, trim.backoff, clipboard, {c.threshold, true});

    EXPECT_EQ(result.trimmed, c.trims);
    EXPECT_FALSE(result.waiting);
    EXPECT_EQ(trim.processes.walks, c.trims ? 1 : 0);
    // The first pass knows no process to be idle yet: none is advised.
    EXPECT_TRUE(trim.reclaimer.calls.empty());
    EXPECT_EQ(clipboard.cleans, c.trims ? 1 : 0);
    EXPECT_EQ(trim.processes.OpenHandles(), 0u);
  }
}

TEST(AutoOptimizationPass, PagesOutIdleProcessesAndWaitsAfterAPassThatDidNotHelp) {
  test::FakeMemory memory;
  TrimServices trim;
  trim.processes.Add(1, "idle");
  trim.processes.Add(2, "busy");
  // Ticks follow at once here: any process idle since the look before is idle enough.
  trim.pass.SetIdleAge(TrimClock::duration::zero());
  test::FakeClipboard clipboard;
  const auto tick = [&] { return RunAutoOptimizationPass(memory, trim.pass, trim.backoff, clipboard, {std::nullopt, true}); };

  EXPECT_TRUE(tick().trimmed) << "paged out nothing: nothing was known to be idle";
  const AutoPassResult waited = tick();
  EXPECT_FALSE(waited.trimmed);
  EXPECT_EQ(waited.waiting, "Auto-optimization waits 1 interval: the last pass paged out less than 1 MB");
  EXPECT_EQ(clipboard.cleans, 2) << "the clipboard is still emptied on a waiting tick";
  EXPECT_TRUE(trim.reclaimer.calls.empty());

  trim.reclaimer.pageOutBytes[1] = 64 << 20;
  trim.processes.table[1].cpuTime = 40;
  EXPECT_TRUE(tick().trimmed);
  EXPECT_EQ(trim.reclaimer.Advised(ReclaimAdvice::PageOut), std::vector<uint32_t>{1});
  EXPECT_TRUE(tick().trimmed) << "a pass that helped is followed by the next";
}

// After a pass that paged out, the ticks that find nothing idle leave its line and its
// judgement alone until its window closes: it is judged on all that came back to its process,
// not on the first second.
TEST(AutoOptimizationPass, APassThatPagedOutIsJudgedAfterItsWholeWindowWhateverTheTicksFoundMeanwhile) {
  constexpr uint64_t kMB = uint64_t{1} << 20;
  const struct {
    const char* what;
    uint64_t cameBack;  // to the paged-out process, 5 s after its pass
    bool waitsAtClose;
  } cases[] = {
      {"its pages stayed out", 0, false},
      {"most came back late in the window", 40 * kMB, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakeMemory memory;
    TrimServices trim;
    auto& idle = trim.processes.Add(1, "idle");
    auto& busy = trim.processes.Add(2, "busy");
    idle.residentBytes = 100 * kMB;
    trim.reclaimer.pageOutBytes[1] = 64 * kMB;
    trim.pass.SetIdleAge(std::chrono::seconds(5));
    test::FakeClipboard clipboard;
    const TrimClock::time_point t0 = TrimClock::now();
    const auto tick = [&](int second) {
      ++busy.cpuTime;
      return RunAutoOptimizationPass(memory, trim.pass, trim.backoff, clipboard, {std::nullopt, false},
                                     t0 + std::chrono::seconds(second));
    };
    // Busy at every tick, so the back-off never holds it: the first tick finds no one idle
    // past the age and waits one interval; idle is paged out at the age.
    int second = 0;
    while (trim.reclaimer.calls.empty() && second < 20) tick(second++);
    ASSERT_EQ(trim.reclaimer.Advised(ReclaimAdvice::PageOut), std::vector<uint32_t>{1});
    const uint64_t helpfulPass = trim.pass.Passes();
    const std::string line = TrimResultLine(*trim.pass.Last());
    EXPECT_EQ(line.rfind("Last pass: 64 MB paged out", 0), 0u) << line;

    for (int watched = 1; watched < 10; ++watched) {
      if (watched == 5) idle.residentBytes += c.cameBack;
      const AutoPassResult result = tick(second++);
      EXPECT_TRUE(result.trimmed) << watched;
      EXPECT_FALSE(result.waiting) << "the pass is not judged before its window closes: " << watched;
      EXPECT_EQ(trim.pass.Passes(), helpfulPass) << watched;
      EXPECT_EQ(trim.pass.Last()->PagedOut(), 64 * kMB) << watched;
    }
    EXPECT_EQ(trim.pass.Last()->cameBack, c.cameBack);
    const AutoPassResult atClose = tick(second++);
    EXPECT_EQ(trim.reclaimer.calls.size(), 1u) << "idle is not paged out again";
    if (c.waitsAtClose) {
      ASSERT_TRUE(atClose.waiting);
      EXPECT_TRUE(atClose.waiting->ends_with(": the last pass came back")) << *atClose.waiting;
      EXPECT_EQ(trim.pass.Last()->watched, kCameBackWindow);
    } else {
      EXPECT_FALSE(atClose.waiting);
      EXPECT_EQ(TrimResultLine(*trim.pass.Last()).rfind("Last pass: 0 MB paged out", 0), 0u)
          << "once the window closed, the next empty pass is the last";
    }
  }
}

TEST(AutoOptimizationPass, ClipboardKeptUnlessAsked) {
  test::FakeMemory memory;
  memory.status = test::FakeMemory::StatusMB(1000, 100, 2000, 1000);
  TrimServices trim;
  test::FakeClipboard clipboard;
  EXPECT_TRUE(RunAutoOptimizationPass(memory, trim.pass, trim.backoff, clipboard, {70, false}).trimmed);
  EXPECT_EQ(clipboard.cleans, 0);
}

TEST(AutoOptimizationPass, AnUnreadableStatusOrAFullClipboardIsToldAndTheTrimGoesOn) {
  test::FakeMemory memory;
  memory.statusUnreadable = true;
  TrimServices trim;
  trim.processes.Add(1, "init");
  test::FakeClipboard clipboard;
  clipboard.clears = false;
  const AutoPassResult result = RunAutoOptimizationPass(memory, trim.pass, trim.backoff, clipboard, {70, true});
  EXPECT_TRUE(result.trimmed) << "no figures cannot say that enough memory is available";
  ASSERT_TRUE(result.statusFailure);
  EXPECT_EQ(result.statusFailure->reason, "the memory status is unreadable in this test");
  ASSERT_TRUE(result.clipboardFailure);
  EXPECT_EQ(result.clipboardFailure->reason, "the clipboard was told to refuse");

  memory.statusUnreadable = false;
  memory.status = test::FakeMemory::StatusMB(1000, 100, 2000, 1000);
  clipboard.clears = true;
  const AutoPassResult next = RunAutoOptimizationPass(memory, trim.pass, trim.backoff, clipboard, {70, true});
  EXPECT_FALSE(next.statusFailure);
  EXPECT_FALSE(next.clipboardFailure);
}

TEST(AutoOptimizationPass, WithoutTheStopTestNoSnapshotIsTaken) {
  test::FakeMemory memory;
  TrimServices trim;
  test::FakeClipboard clipboard;
  RunAutoOptimizationPass(memory, trim.pass, trim.backoff, clipboard, {std::nullopt, false});
  EXPECT_EQ(memory.statusCalls, 0);
}

}  // namespace
}  // namespace nv
