#include "monitor/cpu_usage.h"

#include <cmath>

#include "platform/error.h"

namespace nv {

namespace {

// A 64-bit counter as a real: the high half signed, the low half unsigned.
double CounterAsReal(uint64_t counter) {
  return static_cast<double>(static_cast<int32_t>(counter >> 32)) * 4294967296.0 +
         static_cast<double>(static_cast<uint32_t>(counter));
}

}  // namespace

uint8_t GetPlatformCode(Cpu& cpu) {
  uint32_t id = 0xFFFFFFFF;
  if (!cpu.QueryPlatformId(id)) return 0;
  switch (id) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 4;
    default: return 0;
  }
}

double CpuUsageSampler::SampleNtCpuUsage() {
  uint32_t processors = 0;
  uint64_t systemTime = 0;
  uint64_t idleTime = 0;
  if (!cpu_.QueryProcessorCount(processors) || !cpu_.QuerySystemTime(systemTime) ||
      !cpu_.QueryIdleTime(idleTime))
    return 0;
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

double ReadDynDataCpuUsage(Registry& registry) {
  try {
    auto key = registry.Open(RootKey::HKEY_DYN_DATA, "PerfStats\\StatData", false);
    if (!key) return 0;
    const auto value = key->Read("KERNEL\\CPUUsage");
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
