#pragma once
#include <string>

#include "platform/cpu.h"
#include "platform/linux/system/proc_file.h"

namespace nv {

// The CPU counters of the "cpu" line of /proc/stat.
class LinuxCpu : public Cpu {
 public:
  explicit LinuxCpu(const std::string& procRoot = "/proc");

  // total: every column up to steal; idle: idle + iowait (the guest columns are already
  // counted in user and nice).
  Result<CpuTimes> QueryCpuTimes() override;

 private:
  KeptOpenFile stat_;
};

}  // namespace nv
