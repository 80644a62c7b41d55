#pragma once
#include <sys/uio.h>

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/system/proc_file.h"
#include "platform/reclaim.h"

namespace nv {

// Advice given from this process by process_madvise: it reaches the processes that this
// process may advise (its own user's with CAP_SYS_NICE, every one as root); others are
// counted as denied.
class LinuxReclaimer : public Reclaimer {
 public:
  // With `onlyOwner`, only processes whose real, effective and saved uid are all that uid are
  // advised. Every other pid, whether another user's, hidden from this process or naming no
  // process at all, is counted as denied ("not yours"), so that the figures tell nothing more
  // than /proc shows the caller.
  explicit LinuxReclaimer(const std::string& procRoot = "/proc", std::optional<uid_t> onlyOwner = std::nullopt);
  ~LinuxReclaimer() override;
  LinuxReclaimer(const LinuxReclaimer&) = delete;
  LinuxReclaimer& operator=(const LinuxReclaimer&) = delete;

  ReclaimOutcome Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) override;
  // False when the /proc root could not be opened: every pid would then be passed over.
  bool Ready() const { return procFd_ >= 0; }

 private:
  // Advises one process and counts what became of it. Its anonymous memory is advised only
  // when it fits in `swapRoom`, which a page-out then lowers by it.
  void AdviseOne(uint32_t pid, int advice, uint64_t& swapRoom, ReclaimOutcome& outcome);

  bool Owned(uint32_t pid, int pidfd) const;

  int procFd_ = -1;
  std::optional<uid_t> onlyOwner_;
  KeptOpenFile meminfo_;
  std::vector<iovec> ranges_;  // reused by every process
};

}  // namespace nv
