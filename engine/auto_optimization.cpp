#include "engine/auto_optimization.h"

#include "engine/memory_units.h"

namespace nv {

const char* AutoDotsText(bool phase) { return phase ? auto_texts::kRunning : auto_texts::kRunningLong; }

bool EnoughMemoryAvailable(const MemoryStatusEx& status, int thresholdPercent) {
  const long double threshold = static_cast<long double>(thresholdPercent) / 100.0L;
  return !(threshold > AvailPhysRatio(status));
}

AutoPassResult RunAutoOptimizationPass(Memory& memory, TrimPass& pass, TrimBackoff& backoff, Clipboard& clipboard,
                                       const AutoPassOptions& options, TrimClock::time_point now) {
  AutoPassResult result;
  if (options.stopThresholdPercent) {
    // Without figures the stop test cannot hold the pass back: trimming goes on as it would
    // below the threshold.
    const auto status = memory.GlobalMemoryStatusEx();
    if (!status) result.statusFailure = status.error();
    else if (EnoughMemoryAvailable(*status, *options.stopThresholdPercent)) return result;
  }
  // Each pass tries again; a clipboard that stays full is no reason to stop trimming.
  if (options.emptyClipboard) {
    if (auto cleaned = clipboard.Clean(); !cleaned) result.clipboardFailure = cleaned.error();
  }
  // The count of what came back after the last pass is brought up to date, for its judgement.
  pass.Watch(now);
  result.waiting = backoff.Wait(pass);
  if (result.waiting) return result;
  pass.Run(TrimScope::Idle, now);
  result.trimmed = true;
  return result;
}

}  // namespace nv
