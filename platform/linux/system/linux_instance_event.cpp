#include "platform/linux/system/linux_instance_event.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/account.h"

namespace nv {

namespace {

constexpr const char* kEventName = "NorvaneEvent20070409";

// Opens the lock file without following links and only when it belongs to this user: in a
// shared temporary folder another user could otherwise plant the file and hold its lock.
// -1 with `why` set when it cannot be had.
int OpenOwnLockFile(const std::string& path, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
  if (fd < 0) {
    why = path + ": " + std::strerror(errno);
    return -1;
  }
  struct stat info{};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    why = path + " is not a file of this user's";
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

// Where the lock may live without XDG_RUNTIME_DIR: "norvane-UID" in the temporary folder, where
// another user may have taken the name first, else in the user's ~/.cache (only for a home
// folder given by an absolute path: never a folder relative to wherever the program started).
std::vector<std::string> PrivateFolderCandidates() {
  std::error_code error;
  std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  if (error || !temp.is_absolute()) temp = "/tmp";
  const std::string name = "norvane-" + std::to_string(::geteuid());
  std::vector<std::string> folders{(temp / name).string()};
  if (const std::string home = UserHomeFolder(); home.size() > 1 && home.front() == '/') {
    const std::string cache = home + "/.cache";
    ::mkdir(cache.c_str(), 0700);
    folders.push_back(cache + "/" + name);
  }
  return folders;
}

}  // namespace

std::string DefaultInstanceLockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/" + kEventName;
  for (const std::string& folder : PrivateFolderCandidates())
    if (IsPrivateFolder(folder)) return folder + "/" + kEventName;
  return {};
}

std::string NoPrivateFolderReason() {
  std::string tried;
  for (const std::string& folder : PrivateFolderCandidates()) tried += (tried.empty() ? "" : " nor ") + folder;
  return "no private folder was found for it: XDG_RUNTIME_DIR is not set, and neither " + tried +
         " is a folder of this user's closed to others";
}

LinuxInstanceEvent::LinuxInstanceEvent(std::string lockPath) : lockPath_(std::move(lockPath)) {}

LinuxInstanceEvent::~LinuxInstanceEvent() {
  if (fd_ >= 0) ::close(fd_);
}

bool LinuxInstanceEvent::TryTakeLock(bool& heldElsewhere) {
  heldElsewhere = false;
  if (lockPath_.empty()) {
    lockProblem_ = NoPrivateFolderReason();
    return false;
  }
  const int fd = OpenOwnLockFile(lockPath_, lockProblem_);
  if (fd < 0) return false;
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    heldElsewhere = errno == EWOULDBLOCK;
    if (!heldElsewhere) lockProblem_ = lockPath_ + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  lockProblem_.clear();
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
