#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace nv {

// One record of the process walk.
struct ProcessWalkEntry {
  uint32_t ProcessID = 0;
  uint32_t ParentProcessID = 0;
  int32_t BasePriority = 0;  // 0..31 scale
  std::string ExeName;
  uint64_t CpuTime = 0;    // user + system time so far, in clock ticks
  uint64_t StartTime = 0;  // when the process started, in clock ticks since boot: with the
                           // pid, it tells a process from a later one that reuses its pid
  uint64_t MajorFaults = 0;    // faults so far that had to read a page in (from a file or swap)
  uint64_t ResidentBytes = 0;  // resident set now
};

struct ProcessCounters {
  uint64_t PageFaultCount = 0;
  uint64_t PeakWorkingSetSize = 0;
  uint64_t WorkingSetSize = 0;
};

// What an open request obtained.
enum class ProcessAccess { None, QueryOnly, Full };

struct ProcessHandle {
  int native = -1;  // platform handle (a pidfd on Linux)
  uint32_t pid = 0;
  ProcessAccess access = ProcessAccess::None;
  bool valid() const { return access != ProcessAccess::None; }
};

class Processes {
 public:
  virtual ~Processes() = default;
  // One entry per running process.
  virtual Result<std::vector<ProcessWalkEntry>> Walk() = 0;
  // Full access when the process may be trimmed, query-only when it can only be read.
  virtual ProcessHandle Open(uint32_t pid) = 0;
  // Full path of the main module, as the report shows it; empty when it cannot be read.
  virtual std::string ModulePath(const ProcessHandle& h) = 0;
  virtual Result<ProcessCounters> Counters(const ProcessHandle& h) = 0;
  virtual void TrimSelf() = 0;
  virtual void Close(ProcessHandle& h) = 0;
  // Lets go of what walks keep from one to the next (such as open files of known processes),
  // for a time without walks; the next walk starts afresh.
  virtual void ReleaseKept() = 0;
};

}  // namespace nv
