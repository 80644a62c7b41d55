#pragma once
#include <ostream>

#include "cli/command.h"
#include "platform/memory.h"
#include "platform/processes.h"
#include "platform/reclaim.h"

namespace nv::cli {

// `optimize LEVEL`: the overall optimization without its confirmation: the memory tweak of
// LEVEL (1 to 5), a trim of every process (an administrator is asked through polkit for other
// users' and the system's; refused, only the user's own are trimmed and a line says so) and the
// three report lines (two more on swap). A pass whose memory the system refuses is reported on
// `err`, and the run goes on.
inline constexpr std::string_view kOptimizeUsage = "optimize LEVEL";
int OptimizeCommand(const Arguments& args, std::ostream& out, std::ostream& err);

// The exit code: 0, kPrivilegeMissingExit when the trim could advise no process for want of
// the privilege, or kTrimFailedExit when its helper failed.
int OptimizeAndReport(Memory& memory, Processes& processes, Reclaimer& reclaimer, ReclaimMeter& meter, int level,
                      std::ostream& out, std::ostream& err);

}  // namespace nv::cli
