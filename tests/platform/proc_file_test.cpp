#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/linux/system/proc_file.h"

namespace nv {
namespace {

// A temporary file holding `text`, opened for reading.
class TextFile {
 public:
  explicit TextFile(const std::string& text) {
    char name[] = "/tmp/nv_proc_file_XXXXXX";
    fd_ = ::mkstemp(name);
    ::unlink(name);
    EXPECT_EQ(::write(fd_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  ~TextFile() { ::close(fd_); }
  int fd() const { return fd_; }

 private:
  int fd_;
};

std::vector<std::string> Lines(int fd, size_t bufferSize) {
  std::vector<char> buffer(bufferSize);
  std::vector<std::string> lines;
  EXPECT_TRUE(ForEachLine(fd, buffer.data(), buffer.size(), [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  }));
  return lines;
}

TEST(ForEachLine, JoinsLinesThatCrossTheBufferBoundary) {
  TextFile file("MemTotal: 1 kB\nMemFree: 22 kB\nend");
  for (size_t size : {16, 17, 20, 64, 4096})
    EXPECT_EQ(Lines(file.fd(), size),
              (std::vector<std::string>{"MemTotal: 1 kB", "MemFree: 22 kB", "end"}))
        << size;
}

TEST(ForEachLine, SkipsALineLongerThanTheBufferWhole) {
  // A status file with thousands of supplementary groups must not feed a cut piece as a line.
  TextFile file("VmHWM: 1 kB\nGroups: " + std::string(100, '7') + " VmRSS: 9 kB\nVmRSS: 2 kB\n");
  EXPECT_EQ(Lines(file.fd(), 32), (std::vector<std::string>{"VmHWM: 1 kB", "VmRSS: 2 kB"}));
}

TEST(ForEachLine, StopsWhenAskedAndFailsOnABadDescriptor) {
  TextFile file("a\nb\nc\n");
  char buffer[8];
  int seen = 0;
  EXPECT_TRUE(ForEachLine(file.fd(), buffer, sizeof buffer, [&](std::string_view) { return ++seen < 2; }));
  EXPECT_EQ(seen, 2);
  EXPECT_FALSE(ForEachLine(-1, buffer, sizeof buffer, [](std::string_view) { return true; }));
}

TEST(ReadFileAt, ReadsWholeOrCutsToTheBufferAndFailsWhenMissing) {
  char buffer[8];
  EXPECT_EQ(ReadFileAt(AT_FDCWD, "/nonexistent/file", buffer, sizeof buffer), -1);
  TextFile file("0123456789");
  const std::string path = "/proc/self/fd/" + std::to_string(file.fd());
  EXPECT_EQ(ReadFileAt(AT_FDCWD, path.c_str(), buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "0123456");
  char large[64];
  EXPECT_EQ(ReadFileAt(AT_FDCWD, path.c_str(), large, sizeof large), 10);
  EXPECT_STREQ(large, "0123456789");
}

}  // namespace
}  // namespace nv
