#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/idle_rule.h"
#include "platform/focus.h"
#include "platform/processes.h"
#include "platform/reclaim.h"

namespace nv {

// How long after a pass the pages that come back are counted: long enough for a program that
// needs its pages to ask for them again, short enough to judge the pass before long.
inline constexpr TrimClock::duration kCameBackWindow = std::chrono::seconds(10);

// How long after a pass the change of available memory is taken again: the kernel counts pages
// freed in a burst as free only once its per-CPU lists hand them back, within about a second.
inline constexpr TrimClock::duration kSettleTime = std::chrono::seconds(1);

// What one pass achieved, told honestly: pages leaving a process are not memory gained.
struct TrimPassFigures {
  ReclaimOutcome pageOut;        // what became of the page-out advice
  ReclaimOutcome cold;           // and of the cold advice
  uint32_t stillOut = 0;         // idle ever since a pass advised them: not advised
  bool measured = false;         // the system figures could be read before and after
  int64_t availableChange = 0;   // available memory after the pass (settled) less before, in bytes
  int64_t swapCachedChange = 0;  // the same for pages both in swap and still in memory
  uint64_t cameBack = 0;         // bytes the processes paged out by the pass took back since
  uint64_t cameBackSystem = 0;   // reclaimed bytes read back by the whole system meanwhile
  TrimClock::duration watched{}; // how long the pages that came back have been counted
  bool swapReserveReached = false;  // free swap was down to its reserve: nothing went to swap
  uint64_t swapFree = 0;            // free swap before the pass, in bytes

  uint64_t PagedOut() const { return pageOut.bytesPagedOut + cold.bytesPagedOut; }
  // Of the bytes paged out, those that went to swap but are still held in memory as well: the
  // kernel may drop them at no cost when it needs room, but they are not available yet.
  uint64_t StillCached() const;
  // The outcome that tells of the missing privilege when the pass advised no process for want
  // of it; nullptr otherwise.
  const ReclaimOutcome* PrivilegeMissing() const;
  // Why the reclaimer could not carry out the pass (its helper refused, crashed or was silent);
  // empty when it could.
  const std::string& Failure() const { return pageOut.failure.empty() ? cold.failure : pageOut.failure; }
};

// "Last pass: 412 MB paged out, 380 MB more available, 9 MB came back".
std::string TrimResultLine(const TrimPassFigures& figures);

// Trim passes over the running processes, each followed by a count of what came back.
class TrimPass {
 public:
  TrimPass(Processes& processes, Reclaimer& reclaimer, ReclaimMeter& meter, FocusedWindow& focus,
           TrimClock::duration idleAge = kDefaultIdleAge);

  // The idle age of the idle rule, for the passes to come.
  void SetIdleAge(TrimClock::duration idleAge) { idle_.SetIdleAge(idleAge); }

  // Takes a snapshot to tell idle processes by, without trimming.
  void Observe(TrimClock::time_point now = TrimClock::now());
  // One pass: a snapshot, the idle rule (unless `scope` is Everything), at most one advice
  // call per kind; starts counting what comes back. A pass that finds nothing to advise while
  // the last one that paged out is still watched leaves that one as the last (and uncounted).
  const TrimPassFigures& Run(TrimScope scope, TrimClock::time_point now = TrimClock::now());
  // Brings the count of what came back up to date, until the window after the pass closes;
  // the first call after the settling time takes the change of available memory again.
  void Watch(TrimClock::time_point now);
  // True while the pages that come back after the last pass are still counted.
  bool Watching() const { return last_ && last_->watched < kCameBackWindow; }

  const std::optional<TrimPassFigures>& Last() const { return last_; }
  // Counts the passes run, so that each can be judged once.
  uint64_t Passes() const { return passes_; }

 private:
  // A process as the walk after its page-out saw it.
  struct PagedOutProcess {
    uint64_t startTime = 0;
    uint64_t majorFaults = 0;
    uint64_t residentBytes = 0;
    uint64_t leftBytes = 0;  // its resident set before the pass less after
  };

  void TakeChanges(const ReclaimCounters& after, TrimPassFigures& figures) const;
  void KeepPagedOut(const std::vector<ProcessWalkEntry>& before, const std::vector<uint32_t>& pids);
  uint64_t CameBack(const std::vector<ProcessWalkEntry>& walk) const;

  Processes& processes_;
  Reclaimer& reclaimer_;
  ReclaimMeter& meter_;
  FocusedWindow& focus_;
  IdleRule idle_;
  std::optional<TrimPassFigures> last_;
  ReclaimCounters beforePass_;
  ReclaimCounters afterPass_;
  std::unordered_map<uint32_t, PagedOutProcess> pagedOut_;
  bool settled_ = false;
  TrimClock::time_point passEnd_{};
  uint64_t passes_ = 0;
};

}  // namespace nv
