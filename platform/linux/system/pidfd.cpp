#include "platform/linux/system/pidfd.h"

#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace nv {

namespace {

// Called directly: glibc 2.36 declares pidfd_open without C linkage for C++.
int PidfdOpen(uint32_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u)); }

}  // namespace

int OpenPidfd(uint32_t pid) {
  int fd = PidfdOpen(pid);
  if (fd < 0 && errno == EMFILE && RaiseDescriptorLimit(DescriptorLimit() + 1)) fd = PidfdOpen(pid);
  return fd;
}

bool PidfdProcessExists(int pidfd) {
  // Signal 0 is only the check; another user's process refuses it, and so exists.
  return ::syscall(SYS_pidfd_send_signal, pidfd, 0, nullptr, 0u) == 0 || errno == EPERM;
}

ProcessAccess ProbeTrimAccess(int pidfd) {
  return ::process_madvise(pidfd, nullptr, 0, MADV_PAGEOUT, 0) == 0 ? ProcessAccess::Full : ProcessAccess::QueryOnly;
}

// The soft limit is raised only as far as needed (at least doubled), not to the hard one
// (often huge), because some code still walks every possible descriptor, e.g. before an exec.
bool RaiseDescriptorLimit(rlim_t wanted) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
  if (limit.rlim_cur >= wanted) return true;
  if (limit.rlim_max < wanted) return false;
  limit.rlim_cur = std::min(limit.rlim_max, std::max({wanted, limit.rlim_cur * 2, rlim_t{4096}}));
  return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

rlim_t DescriptorLimit() {
  rlimit limit{};
  return ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 0;
}

}  // namespace nv
