#pragma once
#include <string>

#include "platform/cpu.h"
#include "platform/linux/proc_file.h"

namespace nv {

// The CPU counters from /proc/stat, the clock and uname.
class LinuxCpu : public Cpu {
 public:
  explicit LinuxCpu(const std::string& procRoot = "/proc");

  // The cpuN lines of /proc/stat.
  Result<uint32_t> QueryProcessorCount() override;
  // CLOCK_REALTIME in 100-ns units.
  Result<uint64_t> QuerySystemTime() override;
  // idle + iowait of all processors, converted from clock ticks to 100-ns units.
  Result<uint64_t> QueryIdleTime() override;
  // Linux answers as the NT family (2).
  Result<uint32_t> QueryPlatformId() override;

 private:
  struct CpuCounters {
    uint32_t processors = 0;
    uint64_t idleTicks = 0;
  };
  Result<CpuCounters> ReadCpuLines();

  KeptOpenFile stat_;
};

}  // namespace nv
