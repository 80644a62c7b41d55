#include "engine/overall_optimization.h"

#include "engine/optimization_report.h"
#include "engine/process_list.h"

namespace nv {

namespace {

uint64_t SwapUsed(const ReclaimCounters& counters) {
  return counters.swapTotalBytes > counters.swapFreeBytes ? counters.swapTotalBytes - counters.swapFreeBytes : 0;
}

}  // namespace

OverallOptimization RunOverallOptimization(Memory& memory, Processes& processes, Reclaimer& reclaimer,
                                           ReclaimMeter& meter, MemoryTweak& tweak, int level, ProgressGauge& gauge) {
  const auto before = memory.GlobalMemoryStatusEx();
  const auto swapBefore = meter.Read();
  tweak.RunMemoryTweak(level, gauge);
  OverallOptimization result;
  result.trim = TrimProcessList(processes, reclaimer);
  result.report = OptimizationReport(before, memory.GlobalMemoryStatusEx());
  // Both the tweak and the trim push memory to swap; the user learns how much, and what is left.
  const auto swapAfter = meter.Read();
  if (swapBefore && swapAfter && swapAfter->swapTotalBytes > 0)
    result.report += SwapReportLines(SwapUsed(*swapBefore), SwapUsed(*swapAfter), swapAfter->swapFreeBytes);
  return result;
}

}  // namespace nv
