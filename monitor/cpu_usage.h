#pragma once
#include <functional>

#include "platform/cpu.h"
#include "platform/log.h"

namespace nv {

// The counter-based sampler: processor busy time in percent since the previous successful
// sample, from the processors' own busy and idle times. Only the status refresh may call it,
// since every call shortens the next interval.
class CpuUsageSampler {
 public:
  explicit CpuUsageSampler(Cpu& cpu) : cpu_(cpu) {}

  // Lets the user interface handle its pending events; called after a sample is computed and
  // before its counters are stored, so a nested sample still sees the previous counters.
  void SetPump(std::function<void()> pump) { pump_ = std::move(pump); }

  // A whole number from 0 to 100. 0 for the first successful sample and for a failed one (the
  // counters stay as they were), and when the processors' time did not advance. A counter
  // that went back counts as not advanced, so a sample never leaves 0 to 100.
  double SampleNtCpuUsage();

  const CpuTimes& Previous() const { return previous_; }

 private:
  Cpu& cpu_;
  std::function<void()> pump_;
  CpuTimes previous_;
  bool primed_ = false;
  // Sampled at every refresh: one line when the counters stop answering, not one a sample.
  FailureRunLog failures_{LogLevel::Warning, "The processor usage reads 0"};
};

}  // namespace nv
