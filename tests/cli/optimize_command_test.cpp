#include "cli/optimize_command.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/memory_tweak.h"
#include "fakes/fake_gauge.h"
#include "fakes/fake_memory.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_reclaim.h"
#include "platform/linux/system/linux_memory.h"
#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaim_meter.h"
#include "platform/linux/system/linux_reclaimer.h"

namespace nv::cli {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(OptimizeCommand, RejectsAnythingButOneLevelFromOneToFive) {
  for (const Arguments& args : {Arguments{}, Arguments{"0"}, Arguments{"6"}, Arguments{"-1"}, Arguments{"1.5"},
                                Arguments{"12"}, Arguments{"one"}, Arguments{"1", "2"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(OptimizeCommand(args, out, err), kUsageExit) << args.size();
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(err.str().rfind("usage: norvane-cli optimize LEVEL", 0), 0u) << err.str();
  }
}

TEST(OptimizeCommand, RefusedPassesGoToStderrAndTheReportStillFollows) {
  test::FakeMemory memory;
  memory.status = test::FakeMemory::StatusMB(2048, 300, 4096, 1000);
  memory.refuseCommits = true;
  test::FakeProcesses processes;
  processes.Add(1, "init");
  test::FakeReclaimer reclaimer;
  test::FakeReclaimMeter meter;
  std::ostringstream out, err;

  EXPECT_EQ(OptimizeAndReport(memory, processes, reclaimer, meter, 4, out, err), 0);

  EXPECT_EQ(Lines(err.str()), std::vector<std::string>(4, MemoryTweak::kOutOfMemoryMessage));
  EXPECT_EQ(Lines(out.str()), (std::vector<std::string>{"Available physical memory before optimizing:300 MB",
                                                         "Available physical memory after optimizing:300 MB",
                                                         "Released physical memory after optimizing:0 MB"}));
  EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut), std::vector<uint32_t>{1});
}

TEST(OptimizeCommand, ATrimWithoutThePrivilegeSaysWhatMendsItAndExitsThree) {
  test::FakeMemory memory;
  memory.status = test::FakeMemory::StatusMB(2048, 300, 4096, 1000);
  test::FakeProcesses processes;
  processes.Add(1, "init");
  test::FakeReclaimer reclaimer;
  reclaimer.missingPrivilege = "Nothing was trimmed: give the helper its capabilities: sudo setcap ...";
  test::FakeReclaimMeter meter;
  std::ostringstream out, err;

  EXPECT_EQ(OptimizeAndReport(memory, processes, reclaimer, meter, 1, out, err), kPrivilegeMissingExit);

  EXPECT_EQ(Lines(out.str()).size(), 3u) << "the report still comes";
  EXPECT_EQ(err.str(), "norvane-cli: " + reclaimer.missingPrivilege + "\n");
}

// The real system: /proc, mmap within the commit headroom, process_madvise.
TEST(OptimizeOnThisMachine, LevelOneReportsPlausibleFigures) {
  LinuxMemory memory;
  LinuxProcesses processes;
  LinuxReclaimer reclaimer;
  LinuxReclaimMeter meter;
  const uint64_t totalMB = memory.GlobalMemoryStatusEx().value().ullTotalPhys >> 20;
  ASSERT_GT(totalMB, 0u);
  std::ostringstream out, err;

  OptimizeAndReport(memory, processes, reclaimer, meter, 1, out, err);

  const auto lines = Lines(out.str());
  // Two lines more on swap: what went to it, and what is left.
  ASSERT_EQ(lines.size(), meter.Read().value().swapTotalBytes > 0 ? 5u : 3u) << out.str();
  if (lines.size() == 5u) {
    EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(Written to swap while optimizing:\d+ MB)"))) << lines[3];
    EXPECT_TRUE(std::regex_match(lines[4], std::regex(R"(Swap left after optimizing:\d+ MB)"))) << lines[4];
  }
  const std::regex line(R"(Available physical memory (before|after) optimizing:(\d+) MB)");
  std::smatch before, after, released;
  ASSERT_TRUE(std::regex_match(lines[0], before, line) && before[1] == "before") << lines[0];
  ASSERT_TRUE(std::regex_match(lines[1], after, line) && after[1] == "after") << lines[1];
  ASSERT_TRUE(std::regex_match(lines[2], released, std::regex(R"(Released physical memory after optimizing:(\d+) MB)")))
      << lines[2];
  const uint64_t b = std::stoull(before[2]), a = std::stoull(after[2]), r = std::stoull(released[1]);
  EXPECT_GT(b, 0u);
  EXPECT_LE(b, totalMB);
  EXPECT_LE(a, totalMB);
  // Whole megabytes of each figure: the difference of the rounded figures may be one off.
  EXPECT_LE(r, a > b ? a - b + 1 : 1);
  EXPECT_GE(r + 1, a > b ? a - b : 0);
}

TEST(OptimizeOnThisMachine, BlockBeyondTheCommitHeadroomIsRefusedWithTheMessage) {
  LinuxMemory memory;
  // More than memory and swap together: never backed, so it must not be handed out.
  const uint64_t tooLarge = memory.GlobalMemoryStatusEx().value().ullTotalPageFile + (uint64_t{1} << 30);
  std::vector<std::string> messages;
  MemoryTweak tweak(memory, [&](const std::string& m) { messages.push_back(m); });
  test::FakeGauge gauge;

  tweak.TweakWholeRam(tooLarge, gauge);

  EXPECT_EQ(messages, std::vector<std::string>{MemoryTweak::kOutOfMemoryMessage});
  EXPECT_FALSE(gauge.visible);
  EXPECT_FALSE(memory.Commit(tooLarge));
}

}  // namespace
}  // namespace nv::cli
