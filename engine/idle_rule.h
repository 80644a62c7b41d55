#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/processes.h"

namespace nv {

using TrimClock = std::chrono::steady_clock;

// How long a process must have used no CPU time before auto-optimization pages it out. A
// program the user works in runs at least every few seconds or minutes; one that has not run
// for two minutes is left alone, and its pages would otherwise wait in memory for nothing.
inline constexpr std::chrono::seconds kDefaultIdleAge{120};

// Which processes a trim pass may page out.
enum class TrimScope {
  Idle,        // only those that will not miss their pages
  Everything,  // every process, as the user asked for it explicitly
};

// The pids of a pass, by the advice each gets.
struct TrimTargets {
  std::vector<uint32_t> pageOut;
  std::vector<uint32_t> cold;
  uint32_t stillOut = 0;  // idle ever since a pass advised them: nothing to advise
};

// Pages out only processes idle for the idle age: no CPU time used since a time at least that
// long ago, and at least since the look before (a process seen for the first time is not
// known to be idle, whatever the age), kept per process across snapshots (with its start time, so that a process that
// takes over a pid counts as new). A process that ran within the age gets no advice at all:
// paging it out frees nothing that lasts (it reads its pages straight back), and cold advice
// on every look would put the pages it is working with first in line for reclaim. The owner
// of the focused window is advised cold instead of paged out, since the user may be looking at
// it without it running; it is paged out once it has lost the focus. Each idle process is
// paged out once, and again only after it has run and gone idle again: its pages can only
// come back by its own running.
class IdleRule {
 public:
  explicit IdleRule(TrimClock::duration idleAge = kDefaultIdleAge) : idleAge_(idleAge) {}

  void SetIdleAge(TrimClock::duration idleAge) { idleAge_ = idleAge; }
  TrimClock::duration IdleAge() const { return idleAge_; }

  // Takes in `walk` as seen at `now` and splits it by advice.
  TrimTargets Split(const std::vector<ProcessWalkEntry>& walk, std::optional<uint32_t> focusedPid, TrimScope scope,
                    TrimClock::time_point now);
  // Takes in `walk` as seen at `now`, without a pass.
  void Remember(const std::vector<ProcessWalkEntry>& walk, TrimClock::time_point now);
  // Takes back the advice of the last split for `pids`, when the advice reached none of them
  // (no privilege, a helper that refused): they are advised again at the next pass.
  void Unadvise(const std::vector<uint32_t>& pids);

 private:
  enum class Advised { Nothing, Cold, PageOut };
  struct Seen {
    uint64_t startTime = 0;
    uint64_t cpuTime = 0;
    TrimClock::time_point idleSince{};  // when the CPU time was first seen at its figure
    Advised advised = Advised::Nothing;  // by a pass since then
    bool unchanged = false;              // seen at the same CPU time by the look before
  };
  Seen& Track(const ProcessWalkEntry& entry, TrimClock::time_point now, std::unordered_map<uint32_t, Seen>& next);

  TrimClock::duration idleAge_;
  std::unordered_map<uint32_t, Seen> seen_;
};

}  // namespace nv
