#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/system/proc_file.h"
#include "platform/reclaim.h"

namespace nv {

// The page counters of /proc/vmstat that show reclaimed memory being read back.
struct VmstatRefaults {
  uint64_t refaultAnon = 0;  // workingset_refault_anon
  uint64_t refaultFile = 0;  // workingset_refault_file
  uint64_t swapIns = 0;      // pswpin
};

// Takes the counter of one /proc/vmstat line when it is one of ours.
void TakeVmstatLine(std::string_view line, VmstatRefaults& out);

// Pages read back, without counting twice: an anonymous page that comes back is both a
// refault and a swap-in.
uint64_t PagesCameBack(const VmstatRefaults& refaults);

// MemAvailable, SwapCached, SwapTotal and SwapFree from /proc/meminfo, the refaults from
// /proc/vmstat.
class LinuxReclaimMeter : public ReclaimMeter {
 public:
  explicit LinuxReclaimMeter(const std::string& procRoot = "/proc");
  Result<ReclaimCounters> Read() override;

 private:
  KeptOpenFile meminfo_;
  KeptOpenFile vmstat_;
};

}  // namespace nv
