#include "monitor/cpu_usage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "fakes/capturing_log.h"
#include "fakes/fake_cpu.h"

namespace nv {
namespace {

using test::FakeCpu;
using testing::ElementsAre;

// Counters as a machine that has run for a while shows them.
constexpr uint64_t kStartTotal = 90'000'000;
constexpr uint64_t kStartIdle = 70'000'000;
constexpr uint64_t kInterval = 800;  // two seconds of four processors at 100 ticks a second

struct SampleCase {
  const char* name;
  std::optional<CpuTimes> second;  // the reading after the priming one
  double expected;
};

class Sample : public testing::TestWithParam<SampleCase> {};

TEST_P(Sample, IsTheBusyShareOfTheIntervalHalfUpWithinZeroToHundred) {
  const auto& c = GetParam();
  FakeCpu cpu;
  cpu.Push(kStartTotal, kStartIdle);
  cpu.Push(c.second);
  CpuUsageSampler sampler(cpu);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0) << "the first sample only primes the sampler";
  EXPECT_EQ(sampler.SampleNtCpuUsage(), c.expected) << c.name;
}

constexpr CpuTimes After(uint64_t total, uint64_t idle) { return {kStartTotal + total, kStartIdle + idle}; }

INSTANTIATE_TEST_SUITE_P(
    Table, Sample,
    testing::Values(
        SampleCase{"fully busy gives 100, not 101", After(kInterval, 0), 100},
        SampleCase{"busy 50 stays 50", After(kInterval, kInterval / 2), 50},
        SampleCase{"busy 75 goes to 76", After(kInterval, kInterval / 4), 76},
        SampleCase{"busy 37.5 gives 38", After(kInterval, 500), 38},
        SampleCase{"busy 37.2 gives 38", After(1000, 628), 38},
        SampleCase{"idle all along gives 0", After(kInterval, kInterval), 0},
        // Idle counted beyond the interval (iowait is not monotonic): 0, never negative.
        SampleCase{"idle above the interval gives 0", After(kInterval, kInterval + 12), 0},
        SampleCase{"an idle counter that went back counts as busy time, at most 100",
                   CpuTimes{kStartTotal + kInterval, kStartIdle - 5000}, 100},
        SampleCase{"a total that went back is no interval", CpuTimes{kStartTotal - 10, kStartIdle}, 0},
        SampleCase{"a total that did not move is no interval", After(0, 0), 0},
        // Processor time stands still in a suspend, so a sample across one covers only the
        // running time, however long the machine slept; and huge counters lose nothing.
        SampleCase{"a sample across a suspend counts running time only", After(kInterval, 3 * kInterval / 4), 26},
        SampleCase{"a week of 256 processors in one interval", After(15'482'880'000, 7'741'440'000), 50}));

TEST(CpuUsageSampler, CountersThatKeepGoingBackStayWithinZeroToHundred) {
  // Every reading below the one before in some counter, as after a reset or a wrap.
  FakeCpu cpu;
  for (uint64_t i = 0; i < 20; ++i) cpu.Push(kStartTotal - i * 37, kStartIdle + (i % 3) * 1000 - i * 500);
  CpuUsageSampler sampler(cpu);
  for (int sample = 0; sample < 20; ++sample) {
    const double usage = sampler.SampleNtCpuUsage();
    EXPECT_GE(usage, 0);
    EXPECT_LE(usage, 100);
  }
}

TEST(CpuUsageSampler, AFailedSampleReadsZeroAndLeavesTheCountersAlone) {
  FakeCpu cpu;
  cpu.Push(kStartTotal, kStartIdle);
  cpu.Push(std::nullopt);
  // Over both intervals together the processors were idle half the time.
  cpu.Push(After(2 * kInterval, kInterval));
  CpuUsageSampler sampler(cpu);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(sampler.Previous().total, kStartTotal);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 50) << "the next sample spans the whole time since the last good one";
}

TEST(CpuUsageSampler, AFailedFirstSampleDoesNotPrime) {
  FakeCpu cpu;
  cpu.Push(std::nullopt);
  cpu.Push(kStartTotal, kStartIdle);
  cpu.Push(After(kInterval, 0));
  CpuUsageSampler sampler(cpu);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0) << "this one primes";
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 100);
}

TEST(CpuUsageSampler, LogsWhyOnceForEachRunOfFailedSamples) {
  FakeCpu cpu;
  cpu.Push(std::nullopt);
  cpu.Push(std::nullopt);
  cpu.Push(kStartTotal, kStartIdle);
  cpu.Push(std::nullopt);
  CpuUsageSampler sampler(cpu);
  test::CapturingLog log;
  for (int sample = 0; sample < 4; ++sample) sampler.SampleNtCpuUsage();
  ASSERT_EQ(log.lines.size(), 2u) << "a failure at every refresh must not flood the log";
  for (const auto& line : log.lines)
    EXPECT_NE(line.message.find("no reading in the script"), std::string::npos) << line.message;
}

TEST(CpuUsageSampler, PumpRunsBetweenComputingAndStoring) {
  FakeCpu cpu;
  cpu.Push(kStartTotal, kStartIdle);
  cpu.Push(After(kInterval, kInterval / 2));          // outer: 50 % busy
  cpu.Push(After(2 * kInterval, kInterval / 2));      // nested, against the first: 75 % busy
  cpu.Push(After(3 * kInterval, 3 * kInterval / 2));  // half idle since the outer sample
  CpuUsageSampler sampler(cpu);
  std::vector<double> nested;
  int pumps = 0;
  sampler.SetPump([&] {
    // Only the first pump runs a nested sample, as a refresh tick due at that moment would.
    if (++pumps != 1) return;
    EXPECT_EQ(sampler.Previous().total, kStartTotal) << "counters are stored after the pump";
    nested.push_back(sampler.SampleNtCpuUsage());
  });
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(pumps, 0) << "the priming sample computes nothing and does not pump";
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 50);
  EXPECT_THAT(nested, ElementsAre(76));
  // The outer sample stored its own (older) counters last, so the next interval is longer.
  EXPECT_EQ(sampler.Previous().total, kStartTotal + kInterval);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 50);
  EXPECT_EQ(pumps, 3);
}

}  // namespace
}  // namespace nv
