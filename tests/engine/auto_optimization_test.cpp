#include "engine/auto_optimization.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "fakes/fake_clipboard.h"
#include "fakes/fake_memory.h"
#include "fakes/fake_processes.h"

namespace nv {
namespace {

TEST(AutoTimerIntervalMs, SecondsOrTheLongestIntervalWhenThereIsNoUsableOne) {
  const std::pair<int, int> cases[] = {{1, 1000},       {59, 59000},      {0, INT_MAX},
                                       {-1, INT_MAX},   {2147483, 2147483000}, {2147484, INT_MAX}};
  for (auto [seconds, ms] : cases) EXPECT_EQ(AutoTimerIntervalMs(seconds), ms) << seconds;
}

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
    test::FakeProcesses processes;
    processes.Add(1, "init");
    processes.Add(2, "editor");
    test::FakeClipboard clipboard;

    const bool trimmed = RunAutoOptimizationPass(memory, processes, clipboard, {c.threshold, true});

    EXPECT_EQ(trimmed, c.trims);
    EXPECT_EQ(processes.trimmed.size(), c.trims ? 2u : 0u);
    EXPECT_EQ(clipboard.cleans, c.trims ? 1 : 0);
    EXPECT_EQ(processes.OpenHandles(), 0u);
  }
}

TEST(AutoOptimizationPass, ClipboardKeptUnlessAsked) {
  test::FakeMemory memory;
  memory.status = test::FakeMemory::StatusMB(1000, 100, 2000, 1000);
  test::FakeProcesses processes;
  test::FakeClipboard clipboard;
  EXPECT_TRUE(RunAutoOptimizationPass(memory, processes, clipboard, {70, false}));
  EXPECT_EQ(clipboard.cleans, 0);
}

TEST(AutoOptimizationPass, WithoutTheStopTestNoSnapshotIsTaken) {
  test::FakeMemory memory;
  test::FakeProcesses processes;
  test::FakeClipboard clipboard;
  RunAutoOptimizationPass(memory, processes, clipboard, {std::nullopt, false});
  EXPECT_EQ(memory.statusCalls, 0);
}

}  // namespace
}  // namespace nv
