#include "platform/linux/system/proc_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace nv {

ssize_t PreadRetrying(int fd, char* buffer, size_t size, off_t offset) {
  for (;;) {
    const ssize_t got = ::pread(fd, buffer, size, offset);
    if (got >= 0 || errno != EINTR) return got;
  }
}

ssize_t ReadFileAt(int dirFd, const char* path, char* buffer, size_t size, ProcFileEnd end) {
  if (size == 0) return -1;
  const int fd = ::openat(dirFd, path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  const ssize_t length = ReadOpenFile(fd, buffer, size, end);
  ::close(fd);
  return length;
}

ssize_t ReadOpenFile(int fd, char* buffer, size_t size, ProcFileEnd end) {
  if (size == 0) return -1;
  size_t total = 0;
  while (total < size - 1) {
    const size_t asked = size - 1 - total;
    const ssize_t got = PreadRetrying(fd, buffer + total, asked, static_cast<off_t>(total));
    if (got < 0) return -1;
    total += static_cast<size_t>(got);
    if (got == 0 || (end == ProcFileEnd::ShortRead && static_cast<size_t>(got) < asked)) break;
  }
  buffer[total] = '\0';
  return static_cast<ssize_t>(total);
}

KeptOpenFile::KeptOpenFile(std::string path) : path_(std::move(path)) {}

KeptOpenFile::~KeptOpenFile() { Drop(); }

int KeptOpenFile::Descriptor() {
  if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  return fd_;
}

void KeptOpenFile::Drop() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::string_view FileNameOf(std::string_view text) {
  const size_t slash = text.rfind('/');
  return slash == std::string_view::npos ? text : text.substr(slash + 1);
}

}  // namespace nv
