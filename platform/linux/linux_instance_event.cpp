#include "platform/linux/linux_instance_event.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>

namespace nv {

namespace {

constexpr const char* kEventName = "NorvaneEvent20070409";

// Opens the lock file without following links and only when it belongs to this user: in a
// shared temporary folder another user could otherwise plant the file and hold its lock.
int OpenOwnLockFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
  if (fd < 0) return -1;
  struct stat info{};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string DefaultInstanceLockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/" + kEventName;
  std::error_code error;
  std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  if (error) temp = "/tmp";
  return (temp / (std::string(kEventName) + "-" + std::to_string(::geteuid()))).string();
}

LinuxInstanceEvent::LinuxInstanceEvent(std::string lockPath) : lockPath_(std::move(lockPath)) {}

LinuxInstanceEvent::~LinuxInstanceEvent() {
  if (fd_ >= 0) ::close(fd_);
}

bool LinuxInstanceEvent::TryTakeLock(bool& heldElsewhere) {
  heldElsewhere = false;
  const int fd = OpenOwnLockFile(lockPath_);
  if (fd < 0) return false;
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    heldElsewhere = errno == EWOULDBLOCK;
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool LinuxInstanceEvent::IsInstanceRunning() {
  if (fd_ >= 0) return true;
  bool heldElsewhere = false;
  TryTakeLock(heldElsewhere);
  return heldElsewhere;
}

void LinuxInstanceEvent::SignalInstanceEvent() {
  if (fd_ >= 0) return;
  bool heldElsewhere = false;
  TryTakeLock(heldElsewhere);
}

void LinuxInstanceEvent::ResetInstanceEvent() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace nv
