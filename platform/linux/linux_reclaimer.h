#pragma once
#include <sys/uio.h>

#include <string>
#include <vector>

#include "platform/linux/proc_file.h"
#include "platform/reclaim.h"

namespace nv {

// Advice given from this process by process_madvise: it reaches the processes that this
// process may advise (its own user's with CAP_SYS_NICE, every one as root); others are
// counted as denied.
class LinuxReclaimer : public Reclaimer {
 public:
  explicit LinuxReclaimer(const std::string& procRoot = "/proc");
  ~LinuxReclaimer() override;
  LinuxReclaimer(const LinuxReclaimer&) = delete;
  LinuxReclaimer& operator=(const LinuxReclaimer&) = delete;

  ReclaimOutcome Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) override;

 private:
  // Advises one process and counts what became of it. Its anonymous memory is advised only
  // when it fits in `swapRoom`, which a page-out then lowers by it.
  void AdviseOne(uint32_t pid, int advice, uint64_t& swapRoom, ReclaimOutcome& outcome);

  int procFd_ = -1;
  KeptOpenFile meminfo_;
  std::vector<iovec> ranges_;  // reused by every process
};

}  // namespace nv
