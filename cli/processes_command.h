#pragma once
#include <ostream>

#include "cli/command.h"
#include "platform/processes.h"

namespace nv::cli {

// `processes`: the process report's captions, then one row per process in snapshot order,
// tab-separated.
inline constexpr std::string_view kProcessesUsage = "processes";
int ProcessesCommand(const Arguments& args, std::ostream& out, std::ostream& err);

void WriteProcesses(Processes& processes, std::ostream& out);

}  // namespace nv::cli
