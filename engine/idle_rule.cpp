#include "engine/idle_rule.h"

namespace nv {

bool IdleRule::Idle(const ProcessWalkEntry& entry) const {
  const auto seen = previous_.find(entry.ProcessID);
  // A different start time is a new process that took over the pid.
  return seen != previous_.end() && seen->second.startTime == entry.StartTime &&
         seen->second.cpuTime == entry.CpuTime;
}

TrimTargets IdleRule::Split(const std::vector<ProcessWalkEntry>& walk, std::optional<uint32_t> focusedPid,
                            TrimScope scope) {
  TrimTargets targets;
  std::unordered_map<uint32_t, Seen> seen;
  for (const auto& entry : walk) {
    const bool idle = Idle(entry);
    const bool pageOut = scope == TrimScope::Everything || (idle && entry.ProcessID != focusedPid.value_or(0));
    seen[entry.ProcessID] = {entry.StartTime, entry.CpuTime, pageOut};
    if (pageOut && scope == TrimScope::Idle && previous_.at(entry.ProcessID).pagedOut)
      ++targets.stillOut;
    else
      (pageOut ? targets.pageOut : targets.cold).push_back(entry.ProcessID);
  }
  previous_ = std::move(seen);
  return targets;
}

void IdleRule::Remember(const std::vector<ProcessWalkEntry>& walk) {
  previous_.clear();
  for (const auto& entry : walk) previous_[entry.ProcessID] = {entry.StartTime, entry.CpuTime, false};
}

}  // namespace nv
