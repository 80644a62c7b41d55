#include "engine/auto_optimization.h"

#include "engine/memory_units.h"
#include "engine/process_list.h"

namespace nv {

const char* AutoDotsText(bool phase) { return phase ? auto_texts::kRunning : auto_texts::kRunningLong; }

bool EnoughMemoryAvailable(const MemoryStatusEx& status, int thresholdPercent) {
  const long double threshold = static_cast<long double>(thresholdPercent) / 100.0L;
  return !(threshold > AvailPhysRatio(status));
}

bool RunAutoOptimizationPass(Memory& memory, Processes& processes, Clipboard& clipboard,
                             const AutoPassOptions& options) {
  if (options.stopThresholdPercent &&
      EnoughMemoryAvailable(memory.GlobalMemoryStatusEx(), *options.stopThresholdPercent))
    return false;
  if (options.emptyClipboard) clipboard.Clean();
  TrimAllProcesses(processes);
  return true;
}

}  // namespace nv
