#include "engine/auto_optimization.h"

#include <climits>

#include "engine/memory_units.h"
#include "engine/process_list.h"

namespace nv {

int AutoTimerIntervalMs(int seconds) {
  const long long ms = static_cast<long long>(seconds) * 1000;
  return ms <= 0 || ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

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
