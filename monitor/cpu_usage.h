#pragma once
#include <cstdint>
#include <functional>

#include "platform/cpu.h"
#include "platform/registry.h"

namespace nv {

// The operating-system family as the sampler selects its method: 1 Win32s, 2 the 95/98/ME
// family (dynamic registry value), 4 the NT family (counters), 0 anything else.
uint8_t GetPlatformCode(Cpu& cpu);

// The counter-based sampler: processor busy time in percent since the previous successful
// sample. Only the status refresh may call it, since every call shortens the next interval.
class CpuUsageSampler {
 public:
  explicit CpuUsageSampler(Cpu& cpu) : cpu_(cpu) {}

  // Lets the user interface handle its pending events; called after a sample is computed and
  // before its counters are stored, so a nested sample still sees the previous counters.
  void SetPump(std::function<void()> pump) { pump_ = std::move(pump); }

  // 0 for the first successful sample and for a failed one (the counters stay as they were).
  // Also 0 when no time has elapsed; a clock that went back starts a new interval instead.
  double SampleNtCpuUsage();

  uint64_t PrevIdleTime() const { return prevIdleTime_; }
  uint64_t PrevSystemTime() const { return prevSystemTime_; }

 private:
  double Failed(const Failure& failure);

  Cpu& cpu_;
  std::function<void()> pump_;
  uint64_t prevIdleTime_ = 0;
  uint64_t prevSystemTime_ = 0;
  bool failing_ = false;
};

// The usage published in HKEY_DYN_DATA by the 95/98/ME family; 0 when it cannot be read.
double ReadDynDataCpuUsage(Registry& registry);

// One sample by the method that `platformCode` selects.
double ReadCpuUsage(uint8_t platformCode, CpuUsageSampler& sampler, Registry& registry);

}  // namespace nv
