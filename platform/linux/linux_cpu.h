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
  bool QueryProcessorCount(uint32_t& count) override;
  // CLOCK_REALTIME in 100-ns units.
  bool QuerySystemTime(uint64_t& time) override;
  // idle + iowait of all processors, converted from clock ticks to 100-ns units.
  bool QueryIdleTime(uint64_t& idleSummedOverProcessors) override;
  // Linux answers as the NT family (2).
  bool QueryPlatformId(uint32_t& id) override;

 private:
  struct CpuCounters {
    uint32_t processors = 0;
    uint64_t idleTicks = 0;
  };
  bool ReadCpuLines(CpuCounters& counters);

  KeptOpenFile stat_;
};

}  // namespace nv
