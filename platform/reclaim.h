#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace nv {

// What a trim asks of a process's memory.
enum class ReclaimAdvice {
  PageOut,  // write the pages out now: they leave memory at once
  Cold,     // put the pages at the front of the kernel's reclaim queue: no I/O now
};

// What became of one Advise call, process by process.
struct ReclaimOutcome {
  uint32_t advised = 0;            // processes that received the advice
  uint32_t skippedGone = 0;        // ended, or pid reused (pidfd mismatch)
  uint32_t skippedDenied = 0;      // not permitted
  uint32_t skippedOther = 0;       // kernel threads, refused pids (0, 1 for page-out), unreadable maps ...
  uint64_t bytesPagedOut = 0;      // sum of the advised processes' resident-set drops
  bool privilegeMissing = false;   // nothing could be advised for want of privilege (helper missing or without capabilities)
  std::string privilegeMessage;    // with privilegeMissing: what is wrong in plain words, and the command that mends it
  std::string failure;             // the advice could not be given at all (helper refused, crashed, hung): why
  std::string othersLeftAlone;     // machine-wide advice was not authorized, so only the caller's own processes were advised: why
};

// Gives advice to the memory of other processes: in this process when it may, or through a
// helper that holds the privilege.
// The words for the user when `outcome` advised nothing for want of the privilege: the
// reclaimer's own, which name what to mend, or a plain sentence when it gave none.
inline std::string PrivilegeMissingWords(const ReclaimOutcome& outcome) {
  return outcome.privilegeMessage.empty()
             ? "Nothing was trimmed: this program may not advise the memory of other programs."
             : outcome.privilegeMessage;
}

class Reclaimer {
 public:
  virtual ~Reclaimer() = default;
  // Gives `advice` to each listed process that the caller may advise: the caller's own, or
  // every one when it runs as root; never a process other than the one listed (pidfd).
  virtual ReclaimOutcome Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) = 0;
  // The same for every listed process, other users' and the system's too: where the caller
  // may not, an administrator is asked first; when that is refused, only the caller's own
  // processes are advised and `othersLeftAlone` says why.
  virtual ReclaimOutcome AdviseMachineWide(const std::vector<uint32_t>& pids, ReclaimAdvice advice) {
    return Advise(pids, advice);
  }
};

// Advice that always reaches machine-wide, for a pass run over every process on request.
class MachineWideReclaimer : public Reclaimer {
 public:
  explicit MachineWideReclaimer(Reclaimer& inner) : inner_(inner) {}
  ReclaimOutcome Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) override {
    return inner_.AdviseMachineWide(pids, advice);
  }

 private:
  Reclaimer& inner_;
};

// The system-wide figures that tell what a trim really achieved.
struct ReclaimCounters {
  uint64_t availableBytes = 0;   // memory that can be had without swapping
  uint64_t swapCachedBytes = 0;  // written to swap, yet still held in memory too
  uint64_t cameBackBytes = 0;    // running total of reclaimed pages read back (refaults, swap-ins)
  uint64_t swapTotalBytes = 0;
  uint64_t swapFreeBytes = 0;
  uint64_t pageBytes = 4096;     // the size of a page, which a fault reads at least
};

// Free swap that trimming leaves alone: a tenth of the swap, at least 256 MiB. A swap filled
// to the brim leaves the kernel nowhere to put what it must reclaim under pressure, and
// paging out what fits in the last of it frees little that lasts.
inline uint64_t SwapReserveBytes(uint64_t swapTotalBytes) {
  return std::max<uint64_t>(swapTotalBytes / 10, uint64_t{256} << 20);
}

// How much anonymous memory a trim may still page out to swap.
inline uint64_t SwapRoomBytes(uint64_t swapTotalBytes, uint64_t swapFreeBytes) {
  const uint64_t reserve = SwapReserveBytes(swapTotalBytes);
  return swapFreeBytes > reserve ? swapFreeBytes - reserve : 0;
}

class ReclaimMeter {
 public:
  virtual ~ReclaimMeter() = default;
  virtual Result<ReclaimCounters> Read() = 0;
};

}  // namespace nv
