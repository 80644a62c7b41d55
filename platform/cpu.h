#pragma once
#include <cstdint>

namespace nv {

// The counters behind the CPU sampler. Every query can fail; times are in 100-ns units.
class Cpu {
 public:
  virtual ~Cpu() = default;
  virtual bool QueryProcessorCount(uint32_t& count) = 0;
  virtual bool QuerySystemTime(uint64_t& time) = 0;
  virtual bool QueryIdleTime(uint64_t& idleSummedOverProcessors) = 0;
  // The Windows platform id (0 Win32s, 1 95/98/ME, 2 NT); false when it cannot be read.
  virtual bool QueryPlatformId(uint32_t& id) = 0;
};

}  // namespace nv
