#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "platform/linux/linux_cpu.h"

namespace nv {
namespace {

const std::string kFixtures = NV_FIXTURES;

uint64_t TicksToHundredNs(uint64_t ticks) { return ticks * 10'000'000 / static_cast<uint64_t>(::sysconf(_SC_CLK_TCK)); }

TEST(CpuCounters, ProcessorCountAndIdleTimeFromCapturedStat) {
  struct Row {
    const char* root;
    uint32_t processors;
    uint64_t idleTicks;  // idle + iowait of the cpu line
  };
  const Row rows[] = {{"stat_2cpu", 2, 866613 + 590}, {"stat_4cpu", 4, 16250 + 520}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.root);
    LinuxCpu cpu(kFixtures + "/" + row.root);
    uint32_t count = 0;
    uint64_t idle = 0;
    ASSERT_TRUE(cpu.QueryProcessorCount(count));
    ASSERT_TRUE(cpu.QueryIdleTime(idle));
    EXPECT_EQ(count, row.processors);
    EXPECT_EQ(idle, TicksToHundredNs(row.idleTicks));
  }
}

TEST(CpuCounters, QueriesOnStatFailWhenItCannotBeRead) {
  LinuxCpu cpu("/nonexistent/proc");
  uint32_t count = 7;
  uint64_t idle = 7;
  EXPECT_FALSE(cpu.QueryProcessorCount(count));
  EXPECT_FALSE(cpu.QueryIdleTime(idle));
  // Neither needs /proc: the clock and uname still answer.
  uint64_t time = 0;
  uint32_t platform = 0;
  EXPECT_TRUE(cpu.QuerySystemTime(time));
  EXPECT_TRUE(cpu.QueryPlatformId(platform));
  EXPECT_EQ(platform, 2u);
}

TEST(CpuCounters, LiveCountersMatchTheSystem) {
  LinuxCpu cpu;
  uint32_t count = 0;
  ASSERT_TRUE(cpu.QueryProcessorCount(count));
  EXPECT_EQ(count, static_cast<uint32_t>(::sysconf(_SC_NPROCESSORS_ONLN)));

  uint64_t idleBefore = 0, idleAfter = 0, time = 0;
  ASSERT_TRUE(cpu.QueryIdleTime(idleBefore));
  ::usleep(50'000);
  ASSERT_TRUE(cpu.QueryIdleTime(idleAfter));
  EXPECT_GE(idleAfter, idleBefore);

  ASSERT_TRUE(cpu.QuerySystemTime(time));
  const uint64_t seconds = static_cast<uint64_t>(::time(nullptr));
  EXPECT_NEAR(static_cast<double>(time / 10'000'000), static_cast<double>(seconds), 2.0);
}

}  // namespace
}  // namespace nv
