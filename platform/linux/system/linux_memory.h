#pragma once
#include <cstdint>
#include <string>

#include "platform/linux/system/meminfo.h"
#include "platform/linux/system/proc_file.h"
#include "platform/memory.h"

namespace nv {

// The snapshot built from /proc/meminfo and the process's own address-space figures.
MemoryStatusEx MemoryStatusFrom(const MeminfoFigures& figures, uint64_t totalVirtual,
                                uint64_t ownVirtualSize);

// The user address space of this process: the architecture's limit, lowered by RLIMIT_AS.
uint64_t UserAddressSpaceSize();

// Memory status and memory blocks from /proc/meminfo and anonymous mappings.
class LinuxMemory : public Memory {
 public:
  explicit LinuxMemory(const std::string& procRoot = "/proc");

  // A failure naming /proc/meminfo when it cannot be read or holds no MemTotal.
  Result<MemoryStatusEx> GlobalMemoryStatusEx() override;
  uint64_t PageSize() override;
  // Refuses a block beyond the commit headroom instead of letting the OOM killer answer later:
  // the machine's, or the memory cgroup's when that is smaller.
  Result<void*> Commit(uint64_t bytes) override;
  void Release(void* block, uint64_t bytes) override;

 private:
  Result<MeminfoFigures> ReadMeminfo();
  uint64_t CommitHeadroomNow(const MeminfoFigures& figures) const;
  uint64_t OwnVirtualSize();

  std::string procRoot_;
  KeptOpenFile meminfo_;
  KeptOpenFile ownStatm_;
};

}  // namespace nv
