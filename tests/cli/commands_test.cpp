#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/command.h"
#include "cli/processes_command.h"
#include "cli/status_command.h"
#include "cli/trim_command.h"
#include "fakes/fake_cpu.h"
#include "fakes/fake_memory.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_reclaim.h"

namespace nv::cli {
namespace {

using test::FakeCpu;
using test::FakeMemory;
using test::FakeFocusedWindow;
using test::FakeProcesses;
using test::FakeReclaimer;
using test::FakeReclaimMeter;
using testing::ElementsAre;
using testing::IsEmpty;

TEST(StatusCommand, TextsFiguresAndCpuUsageFromOneSnapshot) {
  FakeMemory memory;
  memory.status = FakeMemory::StatusMB(512, 200, 1200, 900, 4096, 4000);
  FakeCpu cpu;
  cpu.Push(1'000'000, 400'000);
  cpu.Push(1'004'000, 403'000);  // idle 3 of 4 processor-seconds: busy 25 -> 26 (to even)
  int waits = 0;
  std::ostringstream out;
  EXPECT_TRUE(WriteStatus(memory, cpu, [&] { ++waits; }, out));
  EXPECT_EQ(out.str(),
            "PM:204800K/524288K PF:921600K/1228800K \n"
            "200 MB free of 512 MB physical memory\n"
            "TotalPhys 536870912\n"
            "AvailPhys 209715200\n"
            "TotalPageFile 1258291200\n"
            "AvailPageFile 943718400\n"
            "TotalVirtual 4294967296\n"
            "AvailVirtual 4194304000\n"
            "CpuUsage 26\n");
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(memory.statusCalls, 1);
}

TEST(StatusCommand, AnUnreadableMemoryStatusIsAFailureNotZeros) {
  FakeMemory memory;
  memory.statusUnreadable = true;
  FakeCpu cpu;
  std::ostringstream out;
  const auto written = WriteStatus(memory, cpu, [] {}, out);
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().reason, "the memory status is unreadable in this test");
  EXPECT_EQ(out.str(), "");
}

TEST(ProcessesCommand, CaptionsThenOneTabSeparatedRowPerProcessAndEveryHandleClosed) {
  FakeProcesses processes;
  auto& idle = processes.Add(0, "idle", ProcessAccess::None);
  idle.basePriority = 0;
  auto& shell = processes.Add(77, "bash", ProcessAccess::Full, "/usr/bin/bash");
  shell.parent = 1;
  shell.counters = {12, 8192, 4096};
  processes.Add(666, "evil\tname\nPID", ProcessAccess::QueryOnly, "/tmp/x\ny");
  std::ostringstream out;
  WriteProcesses(processes, out);
  EXPECT_EQ(out.str(),
            "Process name\tPID\tMem usage\tPeak mem usage\tPage error\tBase Priority\tParentPID\tExe file name\n"
            "idle\t0\t16 K\t0 K\t0\tVacant\t0\t\n"
            "bash\t77\t4 K\t8 K\t12\tStandard\t1\t/usr/bin/bash\n"
            "evil?name?PID\t666\t0 K\t0 K\t0\tStandard\t0\t/tmp/x?y\n");
  EXPECT_EQ(processes.OpenHandles(), 0u);
}

TEST(PlainField, EachCharacterThatReordersOrControlsTheTerminalIsShownAsAQuestionMark) {
  struct Row {
    const char* what;
    std::string text, shown;
  };
  const Row rows[] = {
      {"printable ASCII and UTF-8 kept", "caf\u00e9 \u65e5\u672c (x) \U0001F600", "caf\u00e9 \u65e5\u672c (x) \U0001F600"},
      {"C0 controls and DEL", "a\tb\nc\x1b[2Jd\x7f", "a?b?c?[2Jd?"},
      {"C1 controls: CSI, NEL, OSC", "a\u009b2Jb\u0085c\u009d", "a?2Jb?c?"},
      {"bidirectional override that reverses a file name", "evil\u202Etxt.exe", "evil?txt.exe"},
      {"embeddings, isolates and marks", "\u202A\u202B\u202C\u202D\u2066\u2067\u2068\u2069\u200E\u200F\u061C",
       "???????????"},
      {"a bare C1 byte outside UTF-8", "a\x9b" "2Jb", "a?2Jb"},
      {"an overlong form of a control", "a\xc0\x8a\xe0\x82\x9b" "b", "a???b"},
      {"a sequence cut at the end", "ab\xe6\x97", "ab??"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(PlainField(row.text), row.shown);
  }
}

// A trim over fakes: process 10 stays idle and gives up 228 MB, 11 works; 9 MB come back to
// 10 while the command waits.
class TrimCommandTest : public ::testing::Test {
 protected:
  TrimCommandTest() {
    processes.Add(10, "a").residentBytes = 300 * kMB;
    processes.Add(11, "b").residentBytes = 300 * kMB;
    reclaimer.pageOutBytes = {{10, 228 * kMB}, {11, 50 * kMB}};
    reclaimer.availableBytes = &meter.counters.availableBytes;
    meter.counters.availableBytes = 120 * kMB;
    reclaimer.whenPagedOut = [this](uint32_t pid, uint64_t bytes) {
      processes.table[pid == 10 ? 0 : 1].residentBytes -= bytes;
    };
  }

  FakeProcesses processes;
  FakeReclaimer reclaimer;
  FakeReclaimMeter meter;
  // The memory status reads the available memory that the trim raises, as the system's would.
  struct TrimmedMemory : FakeMemory {
    explicit TrimmedMemory(const uint64_t& available) : available_(available) {}
    Result<MemoryStatusEx> GlobalMemoryStatusEx() override {
      status.ullAvailPhys = available_;
      return FakeMemory::GlobalMemoryStatusEx();
    }
    const uint64_t& available_;
  } memory{meter.counters.availableBytes};
  FakeFocusedWindow focus;
  TrimPass pass{processes, reclaimer, meter, focus};
  std::vector<TrimClock::duration> waits;
  TrimClock::duration waited{};

  std::string Run(TrimRequest request) {
    std::ostringstream out;
    TrimAndReport(memory, pass, request, [this](TrimClock::duration span) {
      waits.push_back(span);
      // The working process uses CPU time meanwhile, and pages come back late after the pass.
      ++processes.table[1].cpuTime;
      if (span == std::chrono::seconds(9)) processes.table[0].residentBytes += 9 * kMB;
      waited += span;
      return TrimClock::now() + waited;
    }, out);
    return out.str();
  }
  static constexpr uint64_t kMB = uint64_t{1} << 20;
};

TEST_F(TrimCommandTest, PagesOutTheIdleAndReportsWhatCameBackInTheNextTenSeconds) {
  EXPECT_EQ(Run({}),
            "Available physical memory before optimizing:120 MB\n"
            "Available physical memory after optimizing:348 MB\n"
            "Released physical memory after optimizing:228 MB\n"
            "Last pass: 228 MB paged out, 228 MB more available, 9 MB came back\n"
            "Processes: 1 paged out, 0 advised cold, 0 ended, 0 not permitted, 0 passed over\n");
  EXPECT_THAT(reclaimer.Advised(ReclaimAdvice::PageOut), ElementsAre(10u));
  EXPECT_THAT(reclaimer.Advised(ReclaimAdvice::Cold), IsEmpty()) << "the one at work gets no advice";
  EXPECT_THAT(waits, ElementsAre(kDefaultIdleAge, std::chrono::seconds(1), std::chrono::seconds(9)))
      << "watched for the idle age first";
}

TEST_F(TrimCommandTest, TheIdleAgeOptionTakesWholeSecondsFromOneToADay) {
  TrimRequest request;
  request.idleAge = std::chrono::seconds(5);
  Run(request);
  EXPECT_EQ(waits.front(), std::chrono::seconds(5));
  std::ostringstream out, err;
  for (const char* age : {"0", "86401", "-1", "5s", ""}) {
    EXPECT_EQ(TrimCommand({"--idle-age", age}, out, err), kUsageExit) << age;
  }
  EXPECT_EQ(TrimCommand({"--idle-age"}, out, err), kUsageExit);
  EXPECT_EQ(processes.OpenHandles(), 0u);
}

TEST_F(TrimCommandTest, AllPagesOutEveryProcessAndJsonGivesOneObject) {
  EXPECT_EQ(Run({TrimScope::Everything, true, false, std::nullopt}),
            "{\"pagedOutBytes\":291504128,\"stillCachedBytes\":0,\"measured\":true,"
            "\"availableChangeBytes\":291504128,\"cameBackBytes\":9437184,\"cameBackSystemBytes\":0,"
            "\"watchedMilliseconds\":10000,\"swapNearlyFull\":false,"
            "\"pagedOutProcesses\":2,\"coldProcesses\":0,\"skippedGone\":0,\"skippedDenied\":0,"
            "\"skippedOther\":0,\"privilegeMissing\":false,\"failure\":\"\"}\n");
  EXPECT_THAT(waits, ElementsAre(std::chrono::seconds(1), std::chrono::seconds(9))) << "no idle sample is needed";
}

TEST_F(TrimCommandTest, WithoutThePrivilegeItSaysSoAtOnceInsteadOfWatchingForPagesThatCannotComeBack) {
  reclaimer.missingPrivilege = "Nothing was trimmed: the helper holds no capabilities.";
  Run({});
  EXPECT_THAT(waits, ElementsAre(kDefaultIdleAge)) << "only the idle sample";
  std::ostringstream err;
  EXPECT_EQ(PrivilegeMissingExit(pass.Last()->PrivilegeMissing(), err), kPrivilegeMissingExit);
  EXPECT_EQ(err.str(), "norvane-cli: Nothing was trimmed: the helper holds no capabilities.\n");
}

TEST_F(TrimCommandTest, AFailedHelperIsAFailureWithItsReasonAndNoFiguresToWatch) {
  reclaimer.failure = "Nothing was trimmed: the helper /x/norvane-reclaim ended with signal 11.";
  EXPECT_EQ(Run({TrimScope::Everything, true, false, std::nullopt}),
            "{\"pagedOutBytes\":0,\"stillCachedBytes\":0,\"measured\":true,\"availableChangeBytes\":0,"
            "\"cameBackBytes\":0,\"cameBackSystemBytes\":0,\"watchedMilliseconds\":0,\"swapNearlyFull\":false,"
            "\"pagedOutProcesses\":0,\"coldProcesses\":0,\"skippedGone\":0,\"skippedDenied\":0,\"skippedOther\":2,\"privilegeMissing\":false,"
            "\"failure\":\"Nothing was trimmed: the helper /x/norvane-reclaim ended with signal 11.\"}\n");
  EXPECT_THAT(waits, ElementsAre()) << "nothing was advised, so nothing can come back";
  EXPECT_EQ(TrimFailure(*pass.Last(), false), reclaimer.failure);
}

TEST(CommandEntries, ArgumentsAreRefusedWithOneUsageLine) {
  const struct {
    CommandEntry run;
    const char* usage;
  } cases[] = {{StatusCommand, "usage: norvane-cli status\n"},
               {ProcessesCommand, "usage: norvane-cli processes\n"},
               {TrimCommand, "usage: norvane-cli trim [--all] [--system] [--json] [--idle-age SECONDS]\n"}};
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(c.run({"extra"}, out, err), kUsageExit);
    EXPECT_EQ(err.str(), c.usage);
    EXPECT_EQ(out.str(), "");
  }
}

}  // namespace
}  // namespace nv::cli
