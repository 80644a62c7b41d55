#include "engine/idle_rule.h"

namespace nv {

IdleRule::Seen& IdleRule::Track(const ProcessWalkEntry& entry, TrimClock::time_point now,
                                std::unordered_map<uint32_t, Seen>& next) {
  Seen& seen = next[entry.ProcessID];
  const auto known = seen_.find(entry.ProcessID);
  // A different start time is a new process that took over the pid: idle from now at most.
  if (known != seen_.end() && known->second.startTime == entry.StartTime && known->second.cpuTime == entry.CpuTime) {
    seen = known->second;
    seen.unchanged = true;
  } else {
    seen = {entry.StartTime, entry.CpuTime, now, Advised::Nothing, false};
  }
  return seen;
}

TrimTargets IdleRule::Split(const std::vector<ProcessWalkEntry>& walk, std::optional<uint32_t> focusedPid,
                            TrimScope scope, TrimClock::time_point now) {
  TrimTargets targets;
  std::unordered_map<uint32_t, Seen> next;
  for (const auto& entry : walk) {
    Seen& seen = Track(entry, now, next);
    if (scope == TrimScope::Everything) {
      targets.pageOut.push_back(entry.ProcessID);
      seen.advised = Advised::PageOut;
      continue;
    }
    if (!seen.unchanged || now - seen.idleSince < idleAge_) continue;
    const bool focused = entry.ProcessID == focusedPid;
    if (seen.advised == Advised::PageOut || (focused && seen.advised == Advised::Cold)) {
      ++targets.stillOut;
      continue;
    }
    (focused ? targets.cold : targets.pageOut).push_back(entry.ProcessID);
    seen.advised = focused ? Advised::Cold : Advised::PageOut;
  }
  seen_ = std::move(next);
  return targets;
}

void IdleRule::Unadvise(const std::vector<uint32_t>& pids) {
  for (const uint32_t pid : pids)
    if (const auto seen = seen_.find(pid); seen != seen_.end()) seen->second.advised = Advised::Nothing;
}

void IdleRule::Remember(const std::vector<ProcessWalkEntry>& walk, TrimClock::time_point now) {
  std::unordered_map<uint32_t, Seen> next;
  for (const auto& entry : walk) Track(entry, now, next);
  seen_ = std::move(next);
}

}  // namespace nv
