#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace nv {

// Reads a /proc file named relative to `dirFd` into the caller's fixed buffer, no streams and
// no allocation. The text is NUL-terminated; the result is its length, or -1 when the file
// cannot be opened or read (a process that has just exited, a refused entry).
ssize_t ReadFileAt(int dirFd, const char* path, char* buffer, size_t size);

// Feeds `line` every line of the open file `fd`, read from offset 0 in chunks through the
// caller's fixed buffer, until it returns false. A line longer than the buffer is skipped
// whole rather than cut, so that no part of it is mistaken for a line of its own.
// False when the file cannot be read.
template <typename LineFn>
bool ForEachLine(int fd, char* buffer, size_t size, LineFn&& line);

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

 private:
  std::string path_;
  int fd_ = -1;
};

// The part of `text` after its last '/'.
std::string_view FileNameOf(std::string_view text);

// Reads up to `size` bytes at `offset`, retrying an interrupted call.
ssize_t PreadRetrying(int fd, char* buffer, size_t size, off_t offset);

template <typename LineFn>
bool ForEachLine(int fd, char* buffer, size_t size, LineFn&& line) {
  if (fd < 0 || size == 0) return false;
  off_t offset = 0;
  size_t kept = 0;
  bool skippingLongLine = false;
  for (;;) {
    const size_t asked = size - kept;
    const ssize_t got = PreadRetrying(fd, buffer + kept, asked, offset);
    if (got < 0) return false;
    // /proc hands out its whole text when the buffer has room, so a short read is the end:
    // asking again would only make the kernel render the file a second time.
    const bool atEnd = static_cast<size_t>(got) < asked;
    offset += got;
    const size_t end = kept + static_cast<size_t>(got);
    size_t start = 0;
    for (;;) {
      const std::string_view rest(buffer + start, end - start);
      const size_t newline = rest.find('\n');
      if (newline == std::string_view::npos) break;
      if (!skippingLongLine && !line(rest.substr(0, newline))) return true;
      skippingLongLine = false;
      start += newline + 1;
    }
    kept = end - start;
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
