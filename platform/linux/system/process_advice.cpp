#include "platform/linux/system/process_advice.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>

#include "platform/linux/system/proc_file.h"

namespace nv {

namespace {

bool Ended(int error) { return error == ENOENT || error == ESRCH; }
bool Refused(int error) { return error == EACCES || error == EPERM; }

// Signal 0 checks only that the process lives: a pidfd whose process ended says ESRCH.
bool PidfdProcessLives(int pidfd) {
  return ::syscall(SYS_pidfd_send_signal, pidfd, 0, nullptr, 0u) == 0 || errno != ESRCH;
}

}  // namespace

PidEntryPath::PidEntryPath(uint32_t pid, const char* leaf) {
  char* end = std::to_chars(text, text + 11, pid).ptr;
  *end++ = '/';
  const size_t room = sizeof text - static_cast<size_t>(end - text) - 1;
  std::char_traits<char>::copy(end, leaf, std::min(room, std::char_traits<char>::length(leaf)));
  end[std::min(room, std::char_traits<char>::length(leaf))] = '\0';
}

int CollectRanges(int procFd, const char* mapsPath, bool (*takes)(const Mapping&, bool), bool swapCanTakePages,
                  std::vector<iovec>& ranges) {
  ranges.clear();
  const int fd = ::openat(procFd, mapsPath, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char buffer[8192];
  const bool read = ForEachLine(fd, buffer, sizeof buffer, [&](std::string_view line) {
    Mapping mapping;
    if (ParseMapsLine(line, mapping) && takes(mapping, swapCanTakePages))
      ranges.push_back({reinterpret_cast<void*>(mapping.start), static_cast<size_t>(mapping.end - mapping.start)});
    return true;
  });
  const int error = read ? 0 : errno;
  ::close(fd);
  return error;
}

AdviceResult AdviseProcess(int procFd, uint32_t pid, int pidfd, int advice, bool swapCanTakePages,
                           std::vector<iovec>& ranges) {
  const int error = CollectRanges(procFd, PidEntryPath(pid, "maps").text, TrimPagesOut, swapCanTakePages, ranges);
  if (Ended(error) || !PidfdProcessLives(pidfd)) return AdviceResult::Gone;
  if (Refused(error)) return AdviceResult::Denied;
  // A kernel thread or a zombie has no mappings; nothing else is advised either.
  if (error != 0 || ranges.empty()) return AdviceResult::Other;
  const int refusal = AdviseInBatches(ranges, [pidfd, advice](const iovec* batch, size_t count) {
    return ::process_madvise(pidfd, batch, count, advice, 0);
  });
  if (refusal == 0) return AdviceResult::Advised;
  if (Ended(refusal)) return AdviceResult::Gone;
  return Refused(refusal) ? AdviceResult::Denied : AdviceResult::Other;
}

}  // namespace nv
