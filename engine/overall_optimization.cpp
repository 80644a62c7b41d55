#include "engine/overall_optimization.h"

#include "engine/optimization_report.h"
#include "engine/process_list.h"

namespace nv {

OverallOptimization RunOverallOptimization(Memory& memory, Processes& processes, Reclaimer& reclaimer,
                                           MemoryTweak& tweak, int level, ProgressGauge& gauge) {
  const auto before = memory.GlobalMemoryStatusEx();
  tweak.RunMemoryTweak(level, gauge);
  OverallOptimization result;
  result.trim = TrimProcessList(processes, reclaimer);
  result.report = OptimizationReport(before, memory.GlobalMemoryStatusEx());
  return result;
}

}  // namespace nv
