#pragma once
#include <cstdint>

#include "platform/result.h"

namespace nv {

// The counters behind the CPU sampler. Every query can fail; times are in 100-ns units.
class Cpu {
 public:
  virtual ~Cpu() = default;
  virtual Result<uint32_t> QueryProcessorCount() = 0;
  virtual Result<uint64_t> QuerySystemTime() = 0;
  // Summed over the processors.
  virtual Result<uint64_t> QueryIdleTime() = 0;
  // The Windows platform id (0 Win32s, 1 95/98/ME, 2 NT).
  virtual Result<uint32_t> QueryPlatformId() = 0;
};

}  // namespace nv
