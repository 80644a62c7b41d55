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
