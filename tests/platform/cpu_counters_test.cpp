#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/system/linux_cpu.h"
#include "platform/linux/system/proc_stat_parser.h"

namespace nv {
namespace {

const std::string kFixtures = NV_FIXTURES;

TEST(CpuCounters, TotalAndIdleTicksOfTheSummedLineOfCapturedStat) {
  struct Row {
    const char* root;
    uint64_t total;  // user nice system idle iowait irq softirq steal
    uint64_t idle;   // idle + iowait
  };
  const Row rows[] = {{"stat_2cpu", 13432 + 6733 + 866613 + 590 + 79 + 69, 866613 + 590},
                      {"stat_4cpu", 4705 + 150 + 1120 + 16250 + 520 + 35, 16250 + 520}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.root);
    const auto times = LinuxCpu(kFixtures + "/" + row.root).QueryCpuTimes();
    ASSERT_TRUE(times) << times.error().reason;
    EXPECT_EQ(times->total, row.total);
    EXPECT_EQ(times->idle, row.idle);
  }
}

TEST(CpuCounters, SummedLineColumnsAsTheKernelWritesThem) {
  const struct {
    const char* line;
    bool parsed;
    uint64_t total, idle;
  } rows[] = {
      {"cpu  1 2 3 4 5 6 7 8 9 10", true, 36, 9},  // guest columns are inside user and nice
      {"cpu  1 2 3 4 5 6 7", true, 28, 9},         // kernels before steal
      {"cpu  1 2 3 4", true, 10, 4},               // before iowait
      {"cpu  1 2 3", false, 0, 0},                 // no idle column
      {"cpu0 1 2 3 4 5 6 7 8", false, 0, 0},       // one processor, not the sum
      {"cpu  1 2 x 4 5", false, 0, 0},
      {"intr 1 2 3 4 5", false, 0, 0},
  };
  for (const auto& row : rows) {
    CpuTimes times;
    EXPECT_EQ(ParseCpuStatLine(row.line, times), row.parsed) << row.line;
    if (!row.parsed) continue;
    EXPECT_EQ(times.total, row.total) << row.line;
    EXPECT_EQ(times.idle, row.idle) << row.line;
  }
}

TEST(CpuCounters, AnUnreadableOrForeignStatIsAFailureWithItsReason) {
  const auto missing = LinuxCpu("/nonexistent/proc").QueryCpuTimes();
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().reason.find("/nonexistent/proc/stat"), std::string::npos) << missing.error().reason;
  EXPECT_EQ(missing.error().systemError, ENOENT);

  const auto root = std::filesystem::temp_directory_path() / ("cpu_counters_" + std::to_string(::getpid()));
  std::filesystem::create_directories(root);
  std::ofstream(root / "stat") << "intr 1 2 3\ncpu  1 2 3 4 5\n";
  const auto foreign = LinuxCpu(root.string()).QueryCpuTimes();
  std::filesystem::remove_all(root);
  ASSERT_FALSE(foreign);
  EXPECT_NE(foreign.error().reason.find("processors' times"), std::string::npos) << foreign.error().reason;
}

TEST(CpuCounters, LiveCountersAdvanceWithIdleInsideTotal) {
  LinuxCpu cpu;
  const CpuTimes before = cpu.QueryCpuTimes().value();
  ::usleep(50'000);
  const CpuTimes after = cpu.QueryCpuTimes().value();
  EXPECT_LE(before.idle, before.total);
  EXPECT_GE(after.total, before.total);
}

}  // namespace
}  // namespace nv
