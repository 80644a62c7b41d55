#pragma once
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/processes.h"

namespace nv {

// Which processes a trim pass may page out.
enum class TrimScope {
  Idle,        // only those that will not miss their pages; the rest are advised cold
  Everything,  // every process, as the user asked for it explicitly
};

// The pids of a pass, by the advice each gets.
struct TrimTargets {
  std::vector<uint32_t> pageOut;
  std::vector<uint32_t> cold;
  uint32_t stillOut = 0;  // idle ever since the previous pass paged them out: nothing to advise
};

// Pages out only processes that are idle: running at the previous snapshot already, with no
// CPU time used since, and not the owner of the focused window. Paging out a busy process
// frees nothing that lasts (it reads its pages straight back, from disk); cold advice only
// puts its pages first in line for the kernel's own reclaim, at no cost now. A process paged
// out by the previous pass and idle ever since is passed over: its pages can only come back
// by its own running, so advising it again would cost the pass without freeing anything.
class IdleRule {
 public:
  // Splits `walk` by advice, and keeps it as the previous snapshot of the next call.
  TrimTargets Split(const std::vector<ProcessWalkEntry>& walk, std::optional<uint32_t> focusedPid, TrimScope scope);
  // Keeps `walk` as the previous snapshot without a pass.
  void Remember(const std::vector<ProcessWalkEntry>& walk);

 private:
  bool Idle(const ProcessWalkEntry& entry) const;

  struct Seen {
    uint64_t startTime = 0;
    uint64_t cpuTime = 0;
    bool pagedOut = false;  // by the pass that took this snapshot
  };
  std::unordered_map<uint32_t, Seen> previous_;
};

}  // namespace nv
