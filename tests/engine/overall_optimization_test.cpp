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
  test::FakeGauge gauge;
  std::vector<std::string> messages;
  MemoryTweak tweak{memory, [this](const std::string& m) { messages.push_back(m); }};
};

TEST_F(OverallOptimizationTest, ReportsTheAvailableMemoryBeforeAndAfterTheTweakAndTrim) {
  // before, the tweak's own snapshot, after
  memory.script = {Avail(120), Avail(120), Avail(348)};

  const std::string report = RunOverallOptimization(memory, processes, reclaimer, tweak, 1, gauge).report;

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
    const std::string report = RunOverallOptimization(memory, processes, reclaimer, tweak, 1, gauge).report;
    EXPECT_EQ(report, "The available physical memory could not be read: the memory status is unreadable in this test");
    EXPECT_EQ(memory.commitRequests.empty(), failsBefore) << "the tweak has no size without the status";
    EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut), (std::vector<uint32_t>{1, 200, 300}));
  }
}

TEST_F(OverallOptimizationTest, LevelFourWithRefusedCommitsWarnsFourTimesThenTrimsAndReports) {
  memory.script = {Avail(100)};
  memory.refuseCommits = true;

  const std::string report = RunOverallOptimization(memory, processes, reclaimer, tweak, 4, gauge).report;

  EXPECT_EQ(messages, std::vector<std::string>(4, MemoryTweak::kOutOfMemoryMessage));
  EXPECT_EQ(memory.commitRequests, std::vector<uint64_t>(4, 400 * MiB));
  EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut), (std::vector<uint32_t>{1, 200, 300}));
  EXPECT_EQ(report.rfind("Available physical memory before optimizing:100 MB\r\n", 0), 0u) << report;
}

}  // namespace
}  // namespace nv
