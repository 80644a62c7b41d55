#include "platform/linux/system/linux_reclaim_meter.h"

#include <unistd.h>

#include <algorithm>
#include "platform/linux/system/meminfo.h"
#include "platform/linux/system/text_fields.h"

namespace nv {

void TakeVmstatLine(std::string_view line, VmstatRefaults& out) {
  static constexpr KeyedFigure<VmstatRefaults> kFields[] = {
      {"workingset_refault_anon", &VmstatRefaults::refaultAnon},
      {"workingset_refault_file", &VmstatRefaults::refaultFile},
      {"pswpin", &VmstatRefaults::swapIns},
  };
  TakeKeyedLine(line, kFields, out);
}

uint64_t PagesCameBack(const VmstatRefaults& refaults) {
  return refaults.refaultFile + std::max(refaults.refaultAnon, refaults.swapIns);
}

LinuxReclaimMeter::LinuxReclaimMeter(const std::string& procRoot)
    : meminfo_(procRoot + "/meminfo"), vmstat_(procRoot + "/vmstat") {}

Result<ReclaimCounters> LinuxReclaimMeter::Read() {
  MeminfoFigures figures;
  if (!ReadMeminfo(meminfo_, figures)) return Failure{"Cannot read " + meminfo_.Path()};
  VmstatRefaults refaults;
  char buffer[8192];
  if (!ForEachLine(vmstat_.Descriptor(), buffer, sizeof buffer, [&](std::string_view line) {
        TakeVmstatLine(line, refaults);
        return true;
      })) {
    vmstat_.Drop();
    return Failure{"Cannot read " + vmstat_.Path()};
  }
  ReclaimCounters counters;
  counters.availableBytes = figures.memAvailable;
  counters.swapCachedBytes = figures.swapCached;
  counters.swapTotalBytes = figures.swapTotal;
  counters.swapFreeBytes = figures.swapFree;
  counters.pageBytes = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  counters.cameBackBytes = PagesCameBack(refaults) * counters.pageBytes;
  return counters;
}

}  // namespace nv
