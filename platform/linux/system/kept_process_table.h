#pragma once
#include <sys/resource.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/linux/system/kept_process.h"
#include "platform/processes.h"

namespace nv {

// The processes of the last walk, by ascending pid, their files kept open between walks as far
// as the descriptor limit allows: the soft limit is raised when needed, and a reserve always
// stays free for the rest of the program and for the handles of the processes beyond that,
// which are read whole at each walk.
// A process that has ended is closed at the next walk that no longer finds it.
//
// Handles lent out carry a kept pidfd. A pidfd whose process leaves the table while handles
// are out is closed only once all of them have come back, so that no handle ever names a
// closed descriptor, or worse, a reused one.
class KeptProcessTable {
 public:
  explicit KeptProcessTable(int procFd) : procFd_(procFd) {}
  ~KeptProcessTable();
  KeptProcessTable(const KeptProcessTable&) = delete;
  KeptProcessTable& operator=(const KeptProcessTable&) = delete;

  // Lists /proc and reads every process; false when /proc cannot be listed.
  bool Walk();
  const std::vector<KeptProcess>& processes() const { return processes_; }
  const KeptProcess* Find(uint32_t pid) const;

  // A handle on the kept pidfd of `pid`; not valid when nothing is kept for it.
  ProcessHandle Lend(uint32_t pid);
  // True when `h` was lent by this table; it has then come back.
  bool TakeBack(const ProcessHandle& h);

  // Closes everything kept; the next walk reads every process afresh.
  void Release();

  // Descriptors held, kept and waiting for lent handles.
  int descriptors() const { return keptDescriptors_ + static_cast<int>(retired_.size()); }

 private:
  // Whether one more process can be kept, with `handlesOfOthers` descriptors left for the
  // handles of processes that are not kept.
  bool RoomToKeep(size_t handlesOfOthers);
  void Retire(KeptProcess& process);

  int procFd_;
  std::vector<KeptProcess> processes_;
  int keptDescriptors_ = 0;
  rlim_t limit_ = 0;
  bool limitReached_ = false;
  int lent_ = 0;
  std::vector<int> retired_;  // pidfds of gone processes, closed when the last lent handle comes back
};

}  // namespace nv
