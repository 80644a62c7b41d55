#pragma once
#include <cstdint>

#include "platform/result.h"

namespace nv {

// The system's memory figures, all in bytes.
struct MemoryStatusEx {
  uint64_t ullTotalPhys = 0;
  uint64_t ullAvailPhys = 0;
  uint64_t ullTotalPageFile = 0;  // commit limit
  uint64_t ullAvailPageFile = 0;  // commit still available
  uint64_t ullTotalVirtual = 0;   // user address space of this process
  uint64_t ullAvailVirtual = 0;
};

class Memory {
 public:
  virtual ~Memory() = default;
  // A failure when the system will not tell, rather than figures of 0.
  virtual Result<MemoryStatusEx> GlobalMemoryStatusEx() = 0;
  virtual uint64_t PageSize() = 0;
  // A read/write block of `bytes`; a failure where the system would refuse the commit.
  virtual Result<void*> Commit(uint64_t bytes) = 0;
  virtual void Release(void* block, uint64_t bytes) = 0;
};

}  // namespace nv
