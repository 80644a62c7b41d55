#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
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
    const auto count = cpu.QueryProcessorCount();
    const auto idle = cpu.QueryIdleTime();
    ASSERT_TRUE(count);
    ASSERT_TRUE(idle);
    EXPECT_EQ(*count, row.processors);
    EXPECT_EQ(*idle, TicksToHundredNs(row.idleTicks));
  }
}

TEST(CpuCounters, QueriesOnStatFailWhenItCannotBeRead) {
  LinuxCpu cpu("/nonexistent/proc");
  for (const auto& failure : {cpu.QueryProcessorCount().error(), cpu.QueryIdleTime().error()}) {
    EXPECT_NE(failure.reason.find("/nonexistent/proc/stat"), std::string::npos) << failure.reason;
    EXPECT_EQ(failure.systemError, ENOENT);
  }
  // Neither needs /proc: the clock and uname still answer.
  EXPECT_TRUE(cpu.QuerySystemTime());
  EXPECT_EQ(cpu.QueryPlatformId().value(), 2u);
}

TEST(CpuCounters, LiveCountersMatchTheSystem) {
  LinuxCpu cpu;
  EXPECT_EQ(cpu.QueryProcessorCount().value(), static_cast<uint32_t>(::sysconf(_SC_NPROCESSORS_ONLN)));

  const uint64_t idleBefore = cpu.QueryIdleTime().value();
  ::usleep(50'000);
  EXPECT_GE(cpu.QueryIdleTime().value(), idleBefore);

  const uint64_t time = cpu.QuerySystemTime().value();
  const uint64_t seconds = static_cast<uint64_t>(::time(nullptr));
  EXPECT_NEAR(static_cast<double>(time / 10'000'000), static_cast<double>(seconds), 2.0);
}

}  // namespace
}  // namespace nv
