#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/log.h"

namespace nv {

namespace {

// A pipe takes a write of up to this many bytes whole, never interleaved with another's.
constexpr size_t kMaxLineBytes = 4096;

// systemd hands a service's standard error to the journal as a stream and names that stream
// in JOURNAL_STREAM ("device:inode"); only then does a "<N>" prefix mean a priority.
bool StandardErrorIsJournal() {
  const char* stream = std::getenv("JOURNAL_STREAM");
  if (!stream) return false;
  unsigned long long device = 0;
  unsigned long long inode = 0;
  if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2) return false;
  struct stat st {};
  return ::fstat(STDERR_FILENO, &st) == 0 && st.st_dev == device && st.st_ino == inode;
}

// Asks afresh at each line, since standard error may be handed on or replaced; lines are rare.
class StandardErrorSink : public LogSink {
 public:
  void Write(LogLevel level, std::string_view message) override {
    std::string line = StandardErrorIsJournal()
                           ? JournalLine(level, message)
                           : std::string(program_invocation_short_name) + ": " + std::string(message) + '\n';
    if (line.size() > kMaxLineBytes) {
      line.resize(kMaxLineBytes - 1);
      line.back() = '\n';
    }
    // A reader that stopped reading must not stall the program: the line is dropped instead.
    pollfd ready{STDERR_FILENO, POLLOUT, 0};
    if (::poll(&ready, 1, 0) != 1 || (ready.revents & POLLOUT) == 0) return;
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
  }
};

}  // namespace

LogSink& PlatformLogSink() {
  static StandardErrorSink sink;
  return sink;
}

}  // namespace nv
