#include "engine/overall_optimization.h"

#include "engine/optimization_report.h"
#include "engine/process_list.h"

namespace nv {

OverallOptimization RunOverallOptimization(Memory& memory, Processes& processes, Reclaimer& reclaimer,
                                           MemoryTweak& tweak, int level, ProgressGauge& gauge) {
  const uint64_t before = memory.GlobalMemoryStatusEx().ullAvailPhys;
  tweak.RunMemoryTweak(level, gauge);
  OverallOptimization result;
  result.trim = TrimProcessList(processes, reclaimer);
  const uint64_t after = memory.GlobalMemoryStatusEx().ullAvailPhys;
  result.report = OptimizationReport(before, after);
  return result;
}

}  // namespace nv
