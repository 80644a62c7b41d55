#include "reclaim/pass_second.h"

#include <sys/capability.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace nv::reclaim {

namespace {

void SleepUntil(const timespec& deadline) {
  while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

}  // namespace

bool PassSecond::Begin(int lockFd) {
  int result;
  while ((result = ::flock(lockFd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (result != 0) return false;
  ::clock_gettime(CLOCK_MONOTONIC, &start_);
  return true;
}

void PassSecond::KeepRestOfSecond() {
  timespec deadline = start_;
  deadline.tv_sec += 1;
  const pid_t keeper = ::fork();
  if (keeper > 0) return;
  if (keeper == 0) {
    for (int fd = 0; fd <= 2; ++fd) ::close(fd);
    cap_t none = cap_init();
    if (none != nullptr) cap_set_proc(none);
    cap_free(none);
  }
  // Without a child, this process keeps the second itself.
  SleepUntil(deadline);
  if (keeper == 0) ::_exit(0);
}

}  // namespace nv::reclaim
