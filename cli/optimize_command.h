#pragma once
#include <ostream>

#include "cli/command.h"
#include "platform/memory.h"
#include "platform/processes.h"
#include "platform/reclaim.h"

namespace nv::cli {

// `optimize LEVEL`: the overall optimization without its confirmation: the memory tweak of
// LEVEL (1 to 5), a trim of every process and the three report lines (two more on swap). A pass whose memory
// the system refuses is reported on `err`, and the run goes on.
int OptimizeCommand(const Arguments& args, std::ostream& out, std::ostream& err);

// The exit code: 0, or kPrivilegeMissingExit when the trim could advise no process.
int OptimizeAndReport(Memory& memory, Processes& processes, Reclaimer& reclaimer, ReclaimMeter& meter, int level,
                      std::ostream& out, std::ostream& err);

}  // namespace nv::cli
