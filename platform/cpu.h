#pragma once
#include <cstdint>

#include "platform/result.h"

namespace nv {

// Time the processors have spent since the system started, summed over all of them, in the
// system's own ticks. Only the differences between two readings mean anything: the sampler
// divides the idle part of an interval by the whole of it, so no wall clock enters.
struct CpuTimes {
  uint64_t total = 0;
  uint64_t idle = 0;  // waiting for work or for input and output
};

// The counters behind the CPU sampler.
class Cpu {
 public:
  virtual ~Cpu() = default;
  virtual Result<CpuTimes> QueryCpuTimes() = 0;
};

}  // namespace nv
