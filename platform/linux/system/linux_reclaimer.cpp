#include "platform/linux/system/linux_reclaimer.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string_view>

#include "platform/linux/system/meminfo.h"
#include "platform/linux/system/proc_file.h"
#include "platform/linux/system/process_advice.h"

namespace nv {

namespace {

// Paging out init would make every service start wait for its code to come back; pid 0 is
// no process at all.
bool Refuses(uint32_t pid, ReclaimAdvice advice) { return pid == 0 || (pid == 1 && advice == ReclaimAdvice::PageOut); }

// The resident set from statm (pages: the second field, and the third, the part shared with
// files): the same figures as status gives, from a file that costs the kernel far less to
// render. What is resident and not shared with a file is anonymous memory.
struct Resident {
  uint64_t bytes = 0;
  uint64_t anonymousBytes = 0;
};

bool ReadResident(int procFd, uint32_t pid, Resident& out) {
  char text[128];
  const ssize_t length = ReadFileAt(procFd, PidEntryPath(pid, "statm").text, text, sizeof text, ProcFileEnd::ShortRead);
  if (length <= 0) return false;
  const char* end = text + length;
  const char* field = std::find(static_cast<const char*>(text), end, ' ');
  uint64_t pages = 0, shared = 0;
  if (field == end) return false;
  const auto resident = std::from_chars(field + 1, end, pages);
  if (resident.ec != std::errc()) return false;
  const uint64_t pageBytes = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  out.bytes = pages * pageBytes;
  // A statm cut after the resident set still tells the resident set.
  if (resident.ptr != end && std::from_chars(resident.ptr + 1, end, shared).ec == std::errc() && shared <= pages)
    out.anonymousBytes = (pages - shared) * pageBytes;
  else
    out.anonymousBytes = out.bytes;
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
  uint64_t swapRoom = ReadMeminfo(meminfo_, figures) ? SwapRoomBytes(figures.swapTotal, figures.swapFree) : 0;
  const int madvice = advice == ReclaimAdvice::PageOut ? MADV_PAGEOUT : MADV_COLD;
  for (const uint32_t pid : pids) {
    if (Refuses(pid, advice)) {
      ++outcome.skippedOther;
      continue;
    }
    AdviseOne(pid, madvice, swapRoom, outcome);
  }
  outcome.privilegeMissing = outcome.advised == 0 && outcome.skippedDenied > 0;
  return outcome;
}

bool LinuxReclaimer::Owned(uint32_t pid, int pidfd) const {
  uid_t uids[3];
  if (!PidfdUids(pidfd, uids) && !ReadUids(procFd_, pid, uids)) return false;
  return uids[0] == *onlyOwner_ && uids[1] == *onlyOwner_ && uids[2] == *onlyOwner_;
}

void LinuxReclaimer::AdviseOne(uint32_t pid, int advice, uint64_t& swapRoom, ReclaimOutcome& outcome) {
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
  Resident before;
  const bool measured = ReadResident(procFd_, pid, before);
  // Anonymous memory is paged out only while the whole of it fits above the swap's reserve (a
  // process whose size is unknown is taken as too large); cold advice writes nothing now.
  const bool toSwap = swapRoom > 0 && (advice == MADV_COLD || (measured && before.anonymousBytes <= swapRoom));
  switch (AdviseProcess(procFd_, pid, pidfd, advice, toSwap, ranges_)) {
    case AdviceResult::Advised: {
      ++outcome.advised;
      if (toSwap && advice == MADV_PAGEOUT) swapRoom -= before.anonymousBytes;
      // A process that ends right after its advice gives no second figure, and no drop.
      Resident after;
      if (measured && ReadResident(procFd_, pid, after) && after.bytes < before.bytes)
        outcome.bytesPagedOut += before.bytes - after.bytes;
      break;
    }
    case AdviceResult::Gone: ++(onlyOwner_ ? outcome.skippedDenied : outcome.skippedGone); break;
    case AdviceResult::Denied: ++outcome.skippedDenied; break;
    case AdviceResult::Other: ++outcome.skippedOther; break;
  }
  ::close(pidfd);
}

}  // namespace nv
