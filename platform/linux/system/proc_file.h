#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace nv {

// Where the text of a /proc file ends.
enum class ProcFileEnd {
  // Only at a read of 0 bytes: files produced a record at a time (maps, vmstat, cmdline) hand
  // out about a page per read however large the buffer, so a short read is not the end.
  ZeroRead,
  // At the first short read, sparing a second read that would render the file again. Safe
  // only for files the kernel renders whole into one buffer on the first read (single_open:
  // stat, status, meminfo, /proc/stat): a read then returns all of the text that fits.
  ShortRead,
};

// Reads a /proc file named relative to `dirFd` into the caller's fixed buffer, no streams and
// no allocation. The text is NUL-terminated; the result is its length, or -1 when the file
// cannot be opened or read (a process that has just exited, a refused entry).
ssize_t ReadFileAt(int dirFd, const char* path, char* buffer, size_t size,
                   ProcFileEnd end = ProcFileEnd::ZeroRead);

// The same for a file kept open: read again from offset 0, so the kernel renders it afresh.
ssize_t ReadOpenFile(int fd, char* buffer, size_t size, ProcFileEnd end = ProcFileEnd::ZeroRead);

// Feeds `line` every line of the open file `fd`, read from offset 0 in chunks through the
// caller's fixed buffer, until it returns false. A line longer than the buffer is skipped
// whole rather than cut, so that no part of it is mistaken for a line of its own.
// False when the file cannot be read.
template <typename LineFn>
bool ForEachLine(int fd, char* buffer, size_t size, LineFn&& line, ProcFileEnd end = ProcFileEnd::ZeroRead);

// A /proc file kept open and read again from offset 0 on each request: cheaper than opening
// it every time. It is reopened after a failed read.
class KeptOpenFile {
 public:
  explicit KeptOpenFile(std::string path);
  ~KeptOpenFile();
  KeptOpenFile(const KeptOpenFile&) = delete;
  KeptOpenFile& operator=(const KeptOpenFile&) = delete;

  // The descriptor to read from, or -1 when the file cannot be opened.
  int Descriptor();
  // Closes the descriptor so that the next request opens the file again.
  void Drop();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

// The part of `text` after its last '/'.
std::string_view FileNameOf(std::string_view text);

// Reads up to `size` bytes at `offset`, retrying an interrupted call.
ssize_t PreadRetrying(int fd, char* buffer, size_t size, off_t offset);

template <typename LineFn>
bool ForEachLine(int fd, char* buffer, size_t size, LineFn&& line, ProcFileEnd end) {
  if (fd < 0 || size == 0) return false;
  off_t offset = 0;
  size_t kept = 0;
  bool skippingLongLine = false;
  for (;;) {
    const size_t asked = size - kept;
    const ssize_t got = PreadRetrying(fd, buffer + kept, asked, offset);
    if (got < 0) return false;
    const bool atEnd = got == 0 || (end == ProcFileEnd::ShortRead && static_cast<size_t>(got) < asked);
    offset += got;
    const size_t filled = kept + static_cast<size_t>(got);
    size_t start = 0;
    for (;;) {
      const std::string_view rest(buffer + start, filled - start);
      const size_t newline = rest.find('\n');
      if (newline == std::string_view::npos) break;
      if (!skippingLongLine && !line(rest.substr(0, newline))) return true;
      skippingLongLine = false;
      start += newline + 1;
    }
    kept = filled - start;
    if (atEnd) {
      if (kept > 0 && !skippingLongLine) line(std::string_view(buffer + start, kept));
      return true;
    }
    if (kept == size) {
      skippingLongLine = true;
      kept = 0;
    } else if (start > 0 && kept > 0) {
      std::memmove(buffer, buffer + start, kept);
    }
  }
}

}  // namespace nv
