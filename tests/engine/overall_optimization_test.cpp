#include "engine/overall_optimization.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_gauge.h"
#include "fakes/fake_memory.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_reclaim.h"

namespace nv {
namespace {

constexpr uint64_t MiB = 1048576;

// Hands out the scripted statuses in turn and keeps the last one; nullopt fails that query.
class ScriptedMemory : public test::FakeMemory {
 public:
  std::deque<std::optional<MemoryStatusEx>> script;
  Result<MemoryStatusEx> GlobalMemoryStatusEx() override {
    if (!script.empty()) {
      statusUnreadable = !script.front();
      status = script.front().value_or(MemoryStatusEx{});
      if (script.size() > 1) script.pop_front();
    }
    return FakeMemory::GlobalMemoryStatusEx();
  }
};

class OverallOptimizationTest : public ::testing::Test {
 protected:
  OverallOptimizationTest() {
    processes.Add(1, "init");
    processes.Add(200, "editor");
    processes.Add(300, "daemon", ProcessAccess::QueryOnly);
  }
  static MemoryStatusEx Avail(uint64_t availMB) { return test::FakeMemory::StatusMB(400, availMB, 800, 400); }

  ScriptedMemory memory;
  test::FakeProcesses processes;
  test::FakeReclaimer reclaimer;
  test::FakeReclaimMeter meter;  // a system without swap, unless a test gives it some
  test::FakeGauge gauge;
  std::vector<std::string> messages;
  MemoryTweak tweak{memory, [this](const std::string& m) { messages.push_back(m); }};
};

TEST_F(OverallOptimizationTest, ReportsTheAvailableMemoryBeforeAndAfterTheTweakAndTrim) {
  // before, the tweak's own snapshot, after
  memory.script = {Avail(120), Avail(120), Avail(348)};

  const std::string report = RunOverallOptimization(memory, processes, reclaimer, meter, tweak, 1, gauge).report;

  EXPECT_EQ(report,
            "Available physical memory before optimizing:120 MB\r\n"
            "Available physical memory after optimizing:348 MB\r\n"
            "Released physical memory after optimizing:228 MB");
  EXPECT_EQ(memory.commitRequests.size(), 401u);
  EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut), (std::vector<uint32_t>{1, 200, 300}));
  EXPECT_EQ(processes.OpenHandles(), 0u);
}

TEST_F(OverallOptimizationTest, AnUnreadableStatusSkipsTheTweakStillTrimsAndSaysWhyThereAreNoFigures) {
  for (const bool failsBefore : {true, false}) {
    SCOPED_TRACE(failsBefore ? "before" : "after");
    memory.commitRequests.clear();
    reclaimer.calls.clear();
    if (failsBefore)
      memory.script = {std::nullopt, std::nullopt, Avail(348)};
    else
      memory.script = {Avail(120), Avail(120), std::nullopt};
    const std::string report = RunOverallOptimization(memory, processes, reclaimer, meter, tweak, 1, gauge).report;
    EXPECT_EQ(report, "The available physical memory could not be read: the memory status is unreadable in this test");
    EXPECT_EQ(memory.commitRequests.empty(), failsBefore) << "the tweak has no size without the status";
    EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut), (std::vector<uint32_t>{1, 200, 300}));
  }
}

TEST_F(OverallOptimizationTest, LevelFourWithRefusedCommitsWarnsFourTimesThenTrimsAndReports) {
  memory.script = {Avail(100)};
  memory.refuseCommits = true;

  const std::string report = RunOverallOptimization(memory, processes, reclaimer, meter, tweak, 4, gauge).report;

  EXPECT_EQ(messages, std::vector<std::string>(4, MemoryTweak::kOutOfMemoryMessage));
  EXPECT_EQ(memory.commitRequests, std::vector<uint64_t>(4, 400 * MiB));
  EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut), (std::vector<uint32_t>{1, 200, 300}));
  EXPECT_EQ(report.rfind("Available physical memory before optimizing:100 MB\r\n", 0), 0u) << report;
}

TEST_F(OverallOptimizationTest, WithSwapTheReportSaysHowMuchWentToSwapAndHowMuchIsLeft) {
  struct Case {
    const char* what;
    uint64_t total, freeBefore, freeAfter;
    const char* lines;
  };
  const Case cases[] = {
      {"3.5 GiB of a 4 GiB swap filled", 4096 * MiB, 4000 * MiB, 523 * MiB,
       "\r\nWritten to swap while optimizing:3477 MB\r\nSwap left after optimizing:523 MB"},
      {"swap emptied meanwhile", 4096 * MiB, 100 * MiB, 300 * MiB,
       "\r\nWritten to swap while optimizing:0 MB\r\nSwap left after optimizing:300 MB"},
      {"no swap", 0, 0, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    memory.script = {Avail(120), Avail(120), Avail(348)};
    meter.counters.swapTotalBytes = c.total;
    meter.counters.swapFreeBytes = c.freeBefore;
    // The meter is read before the tweak and after the trim: the trim moves the swap.
    reclaimer.whenPagedOut = [&](uint32_t, uint64_t) { meter.counters.swapFreeBytes = c.freeAfter; };
    reclaimer.pageOutBytes = {{200, MiB}};
    const std::string report = RunOverallOptimization(memory, processes, reclaimer, meter, tweak, 1, gauge).report;
    EXPECT_EQ(report,
              std::string("Available physical memory before optimizing:120 MB\r\n"
                          "Available physical memory after optimizing:348 MB\r\n"
                          "Released physical memory after optimizing:228 MB") + c.lines);
  }
  meter.fails = true;
  memory.script = {Avail(120), Avail(120), Avail(348)};
  EXPECT_EQ(RunOverallOptimization(memory, processes, reclaimer, meter, tweak, 1, gauge).report.find("swap"),
            std::string::npos)
      << "an unreadable meter leaves the swap lines out";
}

}  // namespace
}  // namespace nv
