#include "platform/linux/system/proc_process_reader.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>

#include "platform/linux/system/proc_file.h"
#include "platform/linux/system/process_name.h"
#include "platform/linux/system/proc_stat_parser.h"

namespace nv {

namespace {

const uint64_t kPageBytes = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));

}  // namespace

EntryPath::EntryPath(std::string_view pid, std::string_view leaf) {
  const size_t pidLength = std::min(pid.size(), sizeof text - leaf.size() - 2);
  pid.copy(text, pidLength);
  text[pidLength] = '/';
  leaf.copy(text + pidLength + 1, leaf.size());
  text[pidLength + 1 + leaf.size()] = '\0';
}

EntryPath::EntryPath(uint32_t pid, std::string_view leaf) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, pid).ptr;
  *this = EntryPath(std::string_view(digits, static_cast<size_t>(end - digits)), leaf);
}

bool IsPidName(std::string_view name) {
  if (name.empty() || name.size() > 10) return false;
  for (char c : name)
    if (c < '0' || c > '9') return false;
  return true;
}

bool TakeWalkStat(std::string_view statText, ProcessWalkRecord& out, std::string_view& comm) {
  ProcessStat parsed;
  if (!ParseProcessStat(statText, parsed)) return false;
  ProcessWalkEntry& entry = out.entry;
  entry.ProcessID = parsed.pid;
  entry.ParentProcessID = parsed.ppid;
  entry.BasePriority = BasePriorityOf(parsed.policy, parsed.nice);
  entry.CpuTime = parsed.userTicks + parsed.systemTicks;
  entry.StartTime = parsed.startTicks;
  entry.MajorFaults = parsed.majorFaults;
  entry.ResidentBytes = parsed.residentPages * kPageBytes;
  out.pageFaults = parsed.minorFaults + parsed.majorFaults;
  out.kernelThread = IsKernelThread(parsed);
  comm = parsed.comm;
  return true;
}

void ReadProcessName(int procFd, std::string_view pidName, std::string_view comm, ProcessWalkRecord& out) {
  ProcessWalkEntry& entry = out.entry;
  out.exePath.clear();
  // A kernel thread has neither an exe link nor an argv: its name is its comm.
  if (out.kernelThread) {
    entry.ExeName = comm;
    return;
  }
  char link[PATH_MAX];
  const ssize_t linkLength = ::readlinkat(procFd, EntryPath(pidName, "exe").text, link, sizeof link);
  if (linkLength > 0) {
    out.exePath = WithoutDeletedMark(std::string_view(link, static_cast<size_t>(linkLength)));
    entry.ExeName = ProcessNameOf(comm, out.exePath, {});
    return;
  }
  // No readable exe link (a process of another user): argv[0] may complete the kernel's name.
  char cmdline[PATH_MAX];
  const ssize_t cmdLength = ReadFileAt(procFd, EntryPath(pidName, "cmdline").text, cmdline, sizeof cmdline);
  const std::string_view argv0 = cmdLength > 0 ? std::string_view(cmdline) : std::string_view{};
  entry.ExeName = ProcessNameOf(comm, {}, argv0);
}

bool ReadWorkingSets(int procFd, uint32_t pid, ProcessCounters& out) {
  const int fd = ::openat(procFd, EntryPath(pid, "status").text, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[4096];
  ProcessStatusMemory memory;
  const bool read = ForEachLine(fd, buffer, sizeof buffer, [&](std::string_view line) {
    return TakeStatusLine(line, memory);
  }, ProcFileEnd::ShortRead);
  ::close(fd);
  if (!read) return false;
  out.WorkingSetSize = memory.residentBytes;
  out.PeakWorkingSetSize = memory.peakResidentBytes;
  return true;
}

bool ReadProcessCounters(int procFd, uint32_t pid, ProcessCounters& out) {
  char stat[kStatBuffer];
  ProcessStat parsed;
  if (ReadFileAt(procFd, EntryPath(pid, "stat").text, stat, sizeof stat, ProcFileEnd::ShortRead) <= 0 || !ParseProcessStat(stat, parsed))
    return false;
  ProcessCounters counters;
  if (!ReadWorkingSets(procFd, pid, counters)) return false;
  counters.PageFaultCount = parsed.minorFaults + parsed.majorFaults;
  out = counters;
  return true;
}

std::string ReadExePath(int procFd, uint32_t pid) {
  char link[PATH_MAX];
  const ssize_t length = ::readlinkat(procFd, EntryPath(pid, "exe").text, link, sizeof link);
  return length > 0 ? std::string(WithoutDeletedMark(std::string_view(link, static_cast<size_t>(length))))
                    : std::string();
}

bool CanReadProcess(int procFd, uint32_t pid) {
  const int fd = ::openat(procFd, EntryPath(pid, "stat").text, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace nv
