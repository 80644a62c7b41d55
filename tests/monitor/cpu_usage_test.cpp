#include "monitor/cpu_usage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "fakes/capturing_log.h"
#include "fakes/fake_cpu.h"
#include "fakes/fake_registry.h"

namespace nv {
namespace {

using test::FakeCpu;
using test::FakeRegistry;
using testing::ElementsAre;

// Counters chosen so that both are non-zero at the priming sample.
constexpr uint64_t kStartTime = 1'000'000'000;
constexpr uint64_t kStartIdle = 500'000'000;
constexpr uint64_t kElapsed = 20'000'000;  // two seconds in 100-ns units

struct FormulaCase {
  const char* name;
  uint32_t processors;
  double idleShareOfElapsed;  // idle advance / elapsed time
  double expected;
};

class Formula : public testing::TestWithParam<FormulaCase> {};

TEST_P(Formula, BusyPlusAHalfRoundedToEven) {
  const auto& c = GetParam();
  FakeCpu cpu;
  cpu.Push(c.processors, kStartTime, kStartIdle);
  cpu.Push(c.processors, kStartTime + kElapsed,
           kStartIdle + static_cast<uint64_t>(c.idleShareOfElapsed * kElapsed));
  CpuUsageSampler sampler(cpu);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0) << "the first sample only primes the sampler";
  EXPECT_EQ(sampler.SampleNtCpuUsage(), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Formula,
    testing::Values(FormulaCase{"fully busy gives 100, not 101", 1, 0.0, 100},
                    FormulaCase{"four processors, busy 50 stays 50", 4, 2.0, 50},
                    FormulaCase{"four processors, busy 75 goes to 76", 4, 1.0, 76},
                    FormulaCase{"two processors, busy 37.5 gives 38", 2, 1.25, 38},
                    FormulaCase{"busy 37.2 gives 38", 1, 0.628, 38},
                    FormulaCase{"busy -0.3 gives 0", 1, 1.003, 0},
                    FormulaCase{"busy -1.2 gives -1", 1, 1.012, -1},
                    FormulaCase{"idle all along gives 0 after the half is added", 1, 1.0, 0}));

TEST(CpuUsageSampler, QueriesStopAtTheFirstFailureAndLeaveTheCountersAlone) {
  const struct {
    std::optional<uint32_t> count;
    std::optional<uint64_t> time;
    std::optional<uint64_t> idle;
    std::vector<std::string> queries;
  } cases[] = {
      {std::nullopt, 1, 1, {"count"}},
      {1, std::nullopt, 1, {"count", "time"}},
      {1, 1, std::nullopt, {"count", "time", "idle"}},
      {0, 1, 1, {"count", "time", "idle"}},  // no processors cannot be divided by
  };
  for (const auto& c : cases) {
    FakeCpu cpu;
    cpu.Push(2, kStartTime, kStartIdle);
    cpu.Push(c.count, c.time, c.idle);
    CpuUsageSampler sampler(cpu);
    sampler.SampleNtCpuUsage();
    cpu.log.clear();
    EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
    EXPECT_EQ(cpu.log, c.queries);
    EXPECT_EQ(sampler.PrevIdleTime(), kStartIdle);
    EXPECT_EQ(sampler.PrevSystemTime(), kStartTime);
  }
}

TEST(CpuUsageSampler, LogsWhyOnceForEachRunOfFailedSamples) {
  FakeCpu cpu;
  cpu.Push(1, std::nullopt, 1);
  cpu.Push(1, 1, std::nullopt);
  cpu.Push(1, kStartTime, kStartIdle);
  cpu.Push(std::nullopt, 1, 1);
  CpuUsageSampler sampler(cpu);
  test::CapturingLog log;
  for (int sample = 0; sample < 4; ++sample) sampler.SampleNtCpuUsage();
  ASSERT_EQ(log.lines.size(), 2u) << "a second-by-second failure must not flood the log";
  EXPECT_NE(log.lines[0].message.find("no time in the script"), std::string::npos) << log.lines[0].message;
  EXPECT_NE(log.lines[1].message.find("no count in the script"), std::string::npos) << log.lines[1].message;
}

TEST(CpuUsageSampler, AFailureBetweenTwoSuccessesSpansTheWholeInterval) {
  FakeCpu cpu;
  cpu.Push(1, kStartTime, kStartIdle);
  cpu.Push(1, std::nullopt, kStartIdle);
  // Over both intervals together the idle counter advanced by half the elapsed time.
  cpu.Push(1, kStartTime + 2 * kElapsed, kStartIdle + kElapsed);
  CpuUsageSampler sampler(cpu);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 50);
}

TEST(CpuUsageSampler, AFailedFirstSampleDoesNotPrime) {
  FakeCpu cpu;
  cpu.Push(1, std::nullopt, kStartIdle);
  cpu.Push(1, kStartTime, kStartIdle);
  cpu.Push(1, kStartTime + kElapsed, kStartIdle);
  CpuUsageSampler sampler(cpu);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0) << "this one primes";
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 100);
}

TEST(CpuUsageSampler, PumpRunsBetweenComputingAndStoring) {
  FakeCpu cpu;
  cpu.Push(1, kStartTime, kStartIdle);
  cpu.Push(1, kStartTime + kElapsed, kStartIdle + kElapsed / 2);      // outer: 50 % busy
  cpu.Push(1, kStartTime + 2 * kElapsed, kStartIdle + kElapsed / 4);  // nested, against the first
  cpu.Push(1, kStartTime + 3 * kElapsed, kStartIdle + kElapsed / 2);  // after both
  CpuUsageSampler sampler(cpu);
  std::vector<double> nested;
  int pumps = 0;
  sampler.SetPump([&] {
    // Only the first pump runs a nested sample, as a refresh tick due at that moment would.
    if (++pumps != 1) return;
    EXPECT_EQ(sampler.PrevSystemTime(), kStartTime) << "counters are stored after the pump";
    nested.push_back(sampler.SampleNtCpuUsage());
  });
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(pumps, 0) << "the priming sample computes nothing and does not pump";
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 50);
  // The nested sample saw the priming counters: idle a quarter of two intervals.
  EXPECT_THAT(nested, ElementsAre(88));
  // The outer sample stored its own (older) counters last, so the next interval is longer.
  EXPECT_EQ(sampler.PrevSystemTime(), kStartTime + kElapsed);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 100);
  EXPECT_EQ(pumps, 3);
}

TEST(CpuUsageSampler, NoElapsedTimeGivesZeroAndKeepsTheCounters) {
  FakeCpu cpu;
  cpu.Push(1, kStartTime, kStartIdle);
  cpu.Push(1, kStartTime, kStartIdle + 5);
  cpu.Push(1, kStartTime + kElapsed, kStartIdle + kElapsed / 2 + 5);
  CpuUsageSampler sampler(cpu);
  sampler.SampleNtCpuUsage();
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(sampler.PrevIdleTime(), kStartIdle);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 50);
}

TEST(CpuUsageSampler, AClockThatWentBackStartsANewInterval) {
  FakeCpu cpu;
  cpu.Push(1, kStartTime, kStartIdle);
  cpu.Push(1, kStartTime - kElapsed, kStartIdle + kElapsed);
  cpu.Push(1, kStartTime, kStartIdle + kElapsed + kElapsed / 4);
  CpuUsageSampler sampler(cpu);
  sampler.SampleNtCpuUsage();
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 0);
  EXPECT_EQ(sampler.PrevSystemTime(), kStartTime - kElapsed);
  EXPECT_EQ(sampler.SampleNtCpuUsage(), 76);
}

TEST(GetPlatformCode, MapsThePlatformIdOntoTheSamplingFamily) {
  const struct {
    std::optional<uint32_t> id;
    uint8_t code;
  } cases[] = {{0, 1}, {1, 2}, {2, 4}, {3, 0}, {7, 0}, {std::nullopt, 0}};
  for (const auto& c : cases) {
    FakeCpu cpu;
    cpu.platformId = c.id;
    EXPECT_EQ(GetPlatformCode(cpu), c.code) << (c.id ? std::to_string(*c.id) : "failed");
  }
}

class ReadCpuUsageMethods : public testing::Test {
 protected:
  void SetUp() override {
    cpu.Push(1, kStartTime, kStartIdle);
    cpu.Push(1, kStartTime + kElapsed, kStartIdle + kElapsed / 4);
  }
  void PublishUsage(std::vector<uint8_t> bytes) {
    registry.Set(RootKey::HKeyDynData, "PerfStats\\StatData", "KERNEL\\CPUUsage", RegValue::Binary(std::move(bytes)));
  }
  FakeCpu cpu;
  FakeRegistry registry;
  CpuUsageSampler sampler{cpu};
};

TEST_F(ReadCpuUsageMethods, NtFamilyUsesTheCounters) {
  PublishUsage({42, 0, 0, 0});
  EXPECT_EQ(ReadCpuUsage(4, sampler, registry), 0);
  EXPECT_EQ(ReadCpuUsage(4, sampler, registry), 76);
}

TEST_F(ReadCpuUsageMethods, NinetyFiveFamilyReadsTheDynamicRegistryValue) {
  PublishUsage({0x2C, 0x01, 0, 0});  // little-endian 300, used unchanged
  EXPECT_EQ(ReadCpuUsage(2, sampler, registry), 300);
  EXPECT_TRUE(cpu.log.empty()) << "the counters are not touched";
}

TEST_F(ReadCpuUsageMethods, NinetyFiveFamilyWithoutTheKeyOrValueGivesZero) {
  EXPECT_EQ(ReadCpuUsage(2, sampler, registry), 0) << "key absent, as on Linux";
  registry.Set(RootKey::HKeyDynData, "PerfStats\\StatData", "Other", RegValue::Dword(9));
  EXPECT_EQ(ReadCpuUsage(2, sampler, registry), 0) << "value absent";
  EXPECT_TRUE(registry.Get(RootKey::HKeyDynData, "PerfStats\\StatData", "KERNEL\\CPUUsage") == nullptr)
      << "the key is read without writing";
}

TEST_F(ReadCpuUsageMethods, OtherPlatformsAlwaysGiveZero) {
  PublishUsage({42, 0, 0, 0});
  for (uint8_t code : {0, 1, 3, 5}) {
    EXPECT_EQ(ReadCpuUsage(code, sampler, registry), 0);
    EXPECT_EQ(ReadCpuUsage(code, sampler, registry), 0);
  }
  EXPECT_TRUE(cpu.log.empty());
}

}  // namespace
}  // namespace nv
