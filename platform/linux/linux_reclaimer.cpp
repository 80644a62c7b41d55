#include "platform/linux/linux_reclaimer.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string_view>

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

// What PIDFD_GET_INFO (Linux 6.13) answers in its first version; the headers of older systems
// lack it.
struct PidfdInfo {
  uint64_t mask;
  uint64_t cgroupid;
  uint32_t pid, tgid, ppid;
  uint32_t ruid, rgid, euid, egid, suid, sgid, fsuid, fsgid;
  uint32_t spare;
};
static_assert(sizeof(PidfdInfo) == 64);
constexpr unsigned long kPidfdGetInfo = _IOWR(0xFF, 11, PidfdInfo);
constexpr uint64_t kPidfdInfoCreds = 1u << 1;

// The real, effective and saved uid of the pidfd's process, straight from the kernel: a few
// hundred times cheaper than rendering its status file. False where the kernel lacks it.
bool PidfdUids(int pidfd, uid_t (&uids)[3]) {
  PidfdInfo info{};
  info.mask = kPidfdInfoCreds;
  if (::ioctl(pidfd, kPidfdGetInfo, &info) != 0 || (info.mask & kPidfdInfoCreds) == 0) return false;
  uids[0] = info.ruid;
  uids[1] = info.euid;
  uids[2] = info.suid;
  return true;
}

// The real, effective and saved uid from the Uid line of a status file.
bool ReadUids(int procFd, uint32_t pid, uid_t (&uids)[3]) {
  char text[4096];
  const ssize_t length = ReadFileAt(procFd, PidEntryPath(pid, "status").text, text, sizeof text - 1, ProcFileEnd::ShortRead);
  if (length <= 0) return false;
  const std::string_view status(text, static_cast<size_t>(length));
  const size_t line = status.find("\nUid:");
  if (line == std::string_view::npos) return false;
  const char* at = text + line + 5;
  const char* end = text + length;
  for (uid_t& uid : uids) {
    while (at < end && (*at == '\t' || *at == ' ')) ++at;
    const auto [next, error] = std::from_chars(at, end, uid);
    if (error != std::errc()) return false;
    at = next;
  }
  return true;
}

}  // namespace

LinuxReclaimer::LinuxReclaimer(const std::string& procRoot, std::optional<uid_t> onlyOwner)
    : procFd_(::open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      onlyOwner_(onlyOwner),
      meminfo_(procRoot + "/meminfo") {}

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

bool LinuxReclaimer::Owned(uint32_t pid, int pidfd) const {
  uid_t uids[3];
  if (!PidfdUids(pidfd, uids) && !ReadUids(procFd_, pid, uids)) return false;
  return uids[0] == *onlyOwner_ && uids[1] == *onlyOwner_ && uids[2] == *onlyOwner_;
}

void LinuxReclaimer::AdviseOne(uint32_t pid, int advice, bool swapCanTakePages, ReclaimOutcome& outcome) {
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u));
  if (pidfd < 0) {
    if (errno != ESRCH)
      ++outcome.skippedOther;
    else
      ++(onlyOwner_ ? outcome.skippedDenied : outcome.skippedGone);
    return;
  }
  // Asked of the pidfd, or of the status read after the pidfd was taken: should the pid be
  // reused in between, the advice below finds the pidfd's process gone.
  if (onlyOwner_ && !Owned(pid, pidfd)) {
    ++outcome.skippedDenied;
    ::close(pidfd);
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
    case AdviceResult::Gone: ++(onlyOwner_ ? outcome.skippedDenied : outcome.skippedGone); break;
    case AdviceResult::Denied: ++outcome.skippedDenied; break;
    case AdviceResult::Other: ++outcome.skippedOther; break;
  }
  ::close(pidfd);
}

}  // namespace nv
