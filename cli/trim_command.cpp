#include "cli/trim_command.h"

#include "engine/optimization_report.h"
#include "engine/process_list.h"
#include "platform/linux/linux_memory.h"
#include "platform/linux/linux_processes.h"

namespace nv::cli {

void TrimAndReport(Memory& memory, Processes& processes, std::ostream& out) {
  const uint64_t before = memory.GlobalMemoryStatusEx().ullAvailPhys;
  TrimAllProcesses(processes);
  const uint64_t after = memory.GlobalMemoryStatusEx().ullAvailPhys;
  WriteReportLines(OptimizationReport(before, after), out);
}

int TrimCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
  if (!args.empty()) return Usage(err, "trim");
  LinuxMemory memory;
  LinuxProcesses processes;
  TrimAndReport(memory, processes, out);
  return 0;
}

}  // namespace nv::cli
