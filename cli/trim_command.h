#pragma once
#include <chrono>
#include <functional>
#include <optional>
#include <ostream>

#include "cli/command.h"
#include "engine/trim_pass.h"
#include "platform/memory.h"

namespace nv::cli {

// `trim [--all] [--system] [--json] [--idle-age SECONDS]`: one trim pass. The processes are
// watched for the idle age (the stored one, else two minutes) and those that used no CPU time
// meanwhile are paged out (with --all every process is paged out at once); then the available
// memory before and after, what was paged out and what came back in the following 10 s are
// printed, or given as one JSON object with --json. Without --system only the user's own
// processes are trimmed; with it, every process, once polkit has an administrator's consent.
inline constexpr std::string_view kTrimUsage = "trim [--all] [--system] [--json] [--idle-age SECONDS]";
int TrimCommand(const Arguments& args, std::ostream& out, std::ostream& err);

struct TrimRequest {
  TrimScope scope = TrimScope::Idle;
  bool json = false;
  bool machineWide = false;
  std::optional<std::chrono::seconds> idleAge;  // none: the default
};

// Waits for `how long` and gives the time after it.
using TrimWait = std::function<TrimClock::time_point(TrimClock::duration)>;

// Runs the pass, writes its report to `out` and gives TrimFailure's words for it.
std::string TrimAndReport(Memory& memory, TrimPass& pass, const TrimRequest& request, const TrimWait& wait,
                          std::ostream& out);

// The figures of a pass as one JSON object on one line; "failure" holds TrimFailure's words.
std::string TrimFiguresJson(const TrimPassFigures& figures, const std::string& failure = {});

// Why the pass failed, for the user; empty when it did not. A machine-wide pass that polkit did
// not authorize has failed, though the user's own processes were trimmed.
std::string TrimFailure(const TrimPassFigures& figures, bool machineWide);

}  // namespace nv::cli
