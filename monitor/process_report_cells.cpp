#include "monitor/process_report_cells.h"

#include "engine/memory_units.h"

namespace nv {

namespace {

// The idle process has no counters of its own; the report has always shown it at 16 K.
constexpr uint32_t kIdleProcessId = 0;

std::string Kilobytes(uint64_t bytes) { return std::to_string(KilobytesDown(bytes)) + " K"; }

}  // namespace

const ProcessReportRow& ProcessReportCaptions() {
  static const ProcessReportRow captions = {"Process name",   "PID",        "Mem usage",     "Peak mem usage",
                                            "Page error",     "Base Priority", "ParentPID", "Exe file name"};
  return captions;
}

ProcessReportRow ProcessReportCells(const TProcess& process) {
  std::string priority;
  PriorityName(process.BasePriority, priority);
  return {process.ExeName,
          std::to_string(process.ProcessID),
          process.ProcessID == kIdleProcessId ? "16 K" : Kilobytes(process.WorkingSetSize),
          Kilobytes(process.PeakWorkingSetSize),
          std::to_string(process.PageFaultCount),
          priority,
          std::to_string(process.ParentProcessID),
          process.ExePath};
}

}  // namespace nv
