#include "monitor/cpu_usage.h"

#include <cmath>

#include "platform/error.h"
#include "platform/log.h"

namespace nv {

namespace {

// A 64-bit counter as a real: the high half signed, the low half unsigned.
double CounterAsReal(uint64_t counter) {
  return static_cast<double>(static_cast<int32_t>(counter >> 32)) * 4294967296.0 +
         static_cast<double>(static_cast<uint32_t>(counter));
}

}  // namespace

uint8_t GetPlatformCode(Cpu& cpu) {
  const auto id = cpu.QueryPlatformId();
  if (!id) {
    LogFailure(LogLevel::Warning, "The processor usage is not sampled", id.error());
    return 0;
  }
  switch (*id) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 4;
    default: return 0;
  }
}

double CpuUsageSampler::SampleNtCpuUsage() {
  const auto processorCount = cpu_.QueryProcessorCount();
  if (!processorCount) return Failed(processorCount.error());
  const auto systemTimeNow = cpu_.QuerySystemTime();
  if (!systemTimeNow) return Failed(systemTimeNow.error());
  const auto idleTimeNow = cpu_.QueryIdleTime();
  if (!idleTimeNow) return Failed(idleTimeNow.error());
  failing_ = false;
  const uint32_t processors = *processorCount;
  const uint64_t systemTime = *systemTimeNow;
  const uint64_t idleTime = *idleTimeNow;
  // No processors would divide by zero; such a reading is as useless as a failed one.
  if (processors == 0) return 0;

  double result = 0;
  if (prevIdleTime_ != 0) {
    const double elapsed = CounterAsReal(systemTime) - CounterAsReal(prevSystemTime_);
    if (elapsed == 0) return 0;
    if (elapsed > 0) {
      const double idle = CounterAsReal(idleTime) - CounterAsReal(prevIdleTime_);
      const double share = idle / elapsed;
      const double busy = 100 - share * 100 / processors;
      result = std::nearbyint(busy + 0.5);
    }
    if (pump_) pump_();
  }
  prevIdleTime_ = idleTime;
  prevSystemTime_ = systemTime;
  return result;
}

double CpuUsageSampler::Failed(const Failure& failure) {
  // Sampled every second: one line when the counters stop answering, not one per sample.
  if (!failing_) LogFailure(LogLevel::Warning, "The processor usage reads 0", failure);
  failing_ = true;
  return 0;
}

double ReadDynDataCpuUsage(Registry& registry) {
  try {
    auto key = registry.Open(RootKey::HKeyDynData, "PerfStats\\StatData", false);
    if (!key) return 0;
    const auto value = (*key)->Read("KERNEL\\CPUUsage");
    return value ? static_cast<double>(value->AsDword()) : 0;
  } catch (const Error&) {
    return 0;
  }
}

double ReadCpuUsage(uint8_t platformCode, CpuUsageSampler& sampler, Registry& registry) {
  switch (platformCode) {
    case 4: return sampler.SampleNtCpuUsage();
    case 2: return ReadDynDataCpuUsage(registry);
    default: return 0;
  }
}

}  // namespace nv
