#include "engine/overall_optimization.h"

#include "engine/optimization_report.h"
#include "engine/process_list.h"

namespace nv {

std::string RunOverallOptimization(Memory& memory, Processes& processes, MemoryTweak& tweak, int level,
                                   ProgressGauge& gauge) {
  const uint64_t before = memory.GlobalMemoryStatusEx().ullAvailPhys;
  tweak.RunMemoryTweak(level, gauge);
  TrimAllProcesses(processes);
  const uint64_t after = memory.GlobalMemoryStatusEx().ullAvailPhys;
  return OptimizationReport(before, after);
}

}  // namespace nv
