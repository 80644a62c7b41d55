#include "platform/linux/linux_reclaimer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "platform/linux/meminfo.h"
#include "platform/linux/proc_file.h"
#include "platform/linux/process_advice.h"

namespace nv {

namespace {

// Paging out init would make every service start wait for its code to come back; pid 0 is
// no process at all.
bool Refuses(uint32_t pid, ReclaimAdvice advice) { return pid == 0 || (pid == 1 && advice == ReclaimAdvice::PageOut); }

// The resident set from statm (pages, the second field): the same figure as VmRSS, from a
// file that costs the kernel far less to render than status.
bool ReadResidentBytes(int procFd, uint32_t pid, uint64_t& bytes) {
  char text[128];
  const ssize_t length = ReadFileAt(procFd, PidEntryPath(pid, "statm").text, text, sizeof text, ProcFileEnd::ShortRead);
  if (length <= 0) return false;
  const char* resident = std::find(text, text + length, ' ');
  uint64_t pages = 0;
  if (resident == text + length || std::from_chars(resident + 1, text + length, pages).ec != std::errc()) return false;
  bytes = pages * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  return true;
}

}  // namespace

LinuxReclaimer::LinuxReclaimer(const std::string& procRoot)
    : procFd_(::open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), meminfo_(procRoot + "/meminfo") {}

LinuxReclaimer::~LinuxReclaimer() {
  if (procFd_ >= 0) ::close(procFd_);
}

ReclaimOutcome LinuxReclaimer::Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) {
  ReclaimOutcome outcome;
  MeminfoFigures figures;
  const bool swapCanTakePages = ReadMeminfo(meminfo_, figures) && SwapCanTakePages(figures);
  const int madvice = advice == ReclaimAdvice::PageOut ? MADV_PAGEOUT : MADV_COLD;
  for (const uint32_t pid : pids) {
    if (Refuses(pid, advice)) {
      ++outcome.skippedOther;
      continue;
    }
    AdviseOne(pid, madvice, swapCanTakePages, outcome);
  }
  outcome.privilegeMissing = outcome.advised == 0 && outcome.skippedDenied > 0;
  return outcome;
}

void LinuxReclaimer::AdviseOne(uint32_t pid, int advice, bool swapCanTakePages, ReclaimOutcome& outcome) {
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u));
  if (pidfd < 0) {
    ++(errno == ESRCH ? outcome.skippedGone : outcome.skippedOther);
    return;
  }
  uint64_t before = 0;
  const bool measured = ReadResidentBytes(procFd_, pid, before);
  switch (AdviseProcess(procFd_, pid, pidfd, advice, swapCanTakePages, ranges_)) {
    case AdviceResult::Advised: {
      ++outcome.advised;
      // A process that ends right after its advice gives no second figure, and no drop.
      uint64_t after = 0;
      if (measured && ReadResidentBytes(procFd_, pid, after) && after < before) outcome.bytesPagedOut += before - after;
      break;
    }
    case AdviceResult::Gone: ++outcome.skippedGone; break;
    case AdviceResult::Denied: ++outcome.skippedDenied; break;
    case AdviceResult::Other: ++outcome.skippedOther; break;
  }
  ::close(pidfd);
}

}  // namespace nv
