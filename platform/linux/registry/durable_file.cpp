#include "platform/linux/registry/durable_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace nv {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

std::string FileName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Writers name their temporary files after the target, so stale ones can be found again.
std::string TemporaryPrefix(const std::string& path) {
  std::string prefix = ".";
  prefix += FileName(path);
  prefix += ".tmp-";
  return prefix;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

void WriteAll(int fd, std::string_view content, const std::string& what) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(what);
    }
    content.remove_prefix(static_cast<size_t>(n));
  }
}

std::string SizeText(size_t bytes) {
  constexpr size_t kMiB = size_t{1} << 20;
  return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB" : std::to_string(bytes) + " bytes";
}

}  // namespace

void SyncDirectory(const std::string& dir) {
  Descriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0 || ::fsync(fd.Get()) != 0) ThrowErrno(dir);
}

std::string ParentDirectory(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<std::string> ReadFileIfExists(const std::string& path, size_t maxBytes) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.Get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    ThrowErrno(path);
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) ThrowErrno(path);
  if (!S_ISREG(st.st_mode)) throw UnfitFileError("it is not a regular file");
  const auto tooLarge = [&] { return UnfitFileError("it is larger than " + SizeText(maxBytes)); };
  if (static_cast<uint64_t>(st.st_size) > maxBytes) throw tooLarge();
  // One byte past the cap tells a file that grew while it was read.
  std::string content(static_cast<size_t>(st.st_size) + 1, '\0');
  size_t used = 0;
  for (;;) {
    if (used == content.size()) {
      if (used > maxBytes) throw tooLarge();
      content.resize(std::min(content.size() * 2, maxBytes + 1));
    }
    const ssize_t n = ::read(fd.Get(), content.data() + used, content.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(path);
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  content.resize(used);
  return content;
}

void MakeDirectories(const std::string& path, mode_t mode) {
  if (path.empty() || path == "/" || path == ".") return;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return;
    throw std::system_error(ENOTDIR, std::generic_category(), path);
  }
  MakeDirectories(ParentDirectory(path), mode);
  if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST) ThrowErrno(path);
}

void WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
  const std::string dir = ParentDirectory(path);
  std::string temporary = dir + "/" + TemporaryPrefix(path) + "XXXXXX";
  Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.Get() < 0) ThrowErrno(dir);
  try {
    WriteAll(fd.Get(), content, temporary);
    if (::fchmod(fd.Get(), mode) != 0 || ::fsync(fd.Get()) != 0) ThrowErrno(temporary);
    if (::close(fd.Release()) != 0) ThrowErrno(temporary);
    if (::rename(temporary.c_str(), path.c_str()) != 0) ThrowErrno(path);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  SyncDirectory(dir);
}

void RemoveFileDurably(const std::string& path) {
  if (::unlink(path.c_str()) != 0) {
    if (errno == ENOENT) return;
    ThrowErrno(path);
  }
  SyncDirectory(ParentDirectory(path));
}

void RemoveStaleTemporaries(const std::string& path) {
  const std::string dir = ParentDirectory(path);
  const std::string prefix = TemporaryPrefix(path);
  DIR* listing = ::opendir(dir.c_str());
  if (!listing) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name.size() == prefix.size() + 6 && name.substr(0, prefix.size()) == prefix) stale.emplace_back(name);
  }
  ::closedir(listing);
  for (const auto& name : stale) ::unlink((dir + "/" + name).c_str());
}

FileLock::FileLock(const std::string& lockPath, std::chrono::milliseconds wait)
    : fd_(::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600)) {
  if (fd_ < 0) ThrowErrno(lockPath);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    ::close(fd_);
    if (error == EWOULDBLOCK)
      throw LockTimeoutError("another program has held the lock " + lockPath + " for over " +
                             std::to_string(std::chrono::duration_cast<std::chrono::seconds>(wait).count()) + " s");
    throw std::system_error(error, std::generic_category(), lockPath);
  }
}

FileLock::~FileLock() { ::close(fd_); }

}  // namespace nv
