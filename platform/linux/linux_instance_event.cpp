#include "platform/linux/linux_instance_event.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "platform/account.h"

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

// A folder no other user can enter or plant anything in: made with mode 0700 when missing;
// one already there must be a real folder (not a link), this user's, and closed to others.
bool IsPrivateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info{};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & 077) == 0;
}

}  // namespace

std::string DefaultInstanceLockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/" + kEventName;
  std::error_code error;
  std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  if (error) temp = "/tmp";
  // In the shared temporary folder another user may have taken the folder's name first;
  // the user's own cache folder is then the place.
  const std::string uid = std::to_string(::geteuid());
  const std::string cache = UserHomeFolder() + "/.cache";
  ::mkdir(cache.c_str(), 0700);
  for (const std::string& folder : {(temp / ("norvane-" + uid)).string(), cache + "/norvane-" + uid})
    if (IsPrivateFolder(folder)) return folder + "/" + kEventName;
  return {};
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
