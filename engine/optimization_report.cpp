#include "engine/optimization_report.h"

#include "engine/memory_units.h"

namespace nv {

std::string OptimizationReport(uint64_t availBefore, uint64_t availAfter) {
  const uint64_t released = availAfter > availBefore ? availAfter - availBefore : 0;
  return "Available physical memory before optimizing:" + std::to_string(MegabytesDown(availBefore)) +
         " MB\r\nAvailable physical memory after optimizing:" + std::to_string(MegabytesDown(availAfter)) +
         " MB\r\nReleased physical memory after optimizing:" + std::to_string(MegabytesDown(released)) + " MB";
}

std::string OptimizationReport(const Result<MemoryStatusEx>& before, const Result<MemoryStatusEx>& after) {
  for (const auto* reading : {&before, &after})
    if (!*reading) return "The available physical memory could not be read: " + reading->error().reason;
  return OptimizationReport(before->ullAvailPhys, after->ullAvailPhys);
}

std::string SwapReportLines(uint64_t usedBefore, uint64_t usedAfter, uint64_t freeAfter) {
  const uint64_t written = usedAfter > usedBefore ? usedAfter - usedBefore : 0;
  return "\r\nWritten to swap while optimizing:" + std::to_string(MegabytesDown(written)) +
         " MB\r\nSwap left after optimizing:" + std::to_string(MegabytesDown(freeAfter)) + " MB";
}

}  // namespace nv
