#pragma once
#include <ostream>

#include "cli/command.h"
#include "platform/memory.h"
#include "platform/processes.h"

namespace nv::cli {

// `trim`: trims every process once and prints the available physical memory before and
// after and what was released, as the overall optimization reports it.
int TrimCommand(const Arguments& args, std::ostream& out, std::ostream& err);

void TrimAndReport(Memory& memory, Processes& processes, std::ostream& out);

}  // namespace nv::cli
