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

}  // namespace nv
