#include "cli/processes_command.h"

#include "engine/process_list.h"
#include "monitor/process_report_cells.h"
#include "platform/linux/system/linux_processes.h"

namespace nv::cli {

namespace {

void WriteRow(const ProcessReportRow& row, std::ostream& out) {
  for (size_t i = 0; i < row.size(); ++i) out << (i ? "\t" : "") << PlainField(row[i]);
  out << '\n';
}

}  // namespace

void WriteProcesses(Processes& processes, std::ostream& out) {
  WriteRow(ProcessReportCaptions(), out);
  TProcessList list;
  SnapshotProcesses(processes, list);
  for (const auto& process : list) WriteRow(ProcessReportCells(process), out);
  CloseProcessHandles(list);
}

int ProcessesCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
  if (!args.empty()) return Usage(err, kProcessesUsage);
  LinuxProcesses processes;
  WriteProcesses(processes, out);
  return 0;
}

}  // namespace nv::cli
