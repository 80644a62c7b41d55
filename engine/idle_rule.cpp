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
  for (const auto& entry : walk) {
    const bool pageOut =
        scope == TrimScope::Everything || (Idle(entry) && entry.ProcessID != focusedPid.value_or(0));
    (pageOut ? targets.pageOut : targets.cold).push_back(entry.ProcessID);
  }
  Remember(walk);
  return targets;
}

void IdleRule::Remember(const std::vector<ProcessWalkEntry>& walk) {
  previous_.clear();
  for (const auto& entry : walk) previous_[entry.ProcessID] = {entry.StartTime, entry.CpuTime};
}

}  // namespace nv
