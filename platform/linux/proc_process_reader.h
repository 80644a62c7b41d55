#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/processes.h"

namespace nv {

// Readers of one process's /proc entries, named relative to a descriptor on the /proc root.
// Each fails soft: a process that exits while it is read simply gives no answer.

// What the walk reads of one process: its record, and the page faults and exe path that the
// details of the same snapshot need again.
struct ProcessWalkRecord {
  ProcessWalkEntry entry;
  uint64_t pageFaults = 0;  // minor + major
  std::string exePath;      // empty when the exe link cannot be read
  bool kernelThread = false;  // no memory of its own to read or trim
};

// The walk's record of the process whose /proc entry is `pidName`; false when the entry is
// not a process or its stat cannot be read.
bool ReadWalkRecord(int procFd, std::string_view pidName, ProcessWalkRecord& out);

// Page faults (minor + major), VmRSS and VmHWM; false when stat or status cannot be read.
// A process without memory (a kernel thread) has no VmRSS and reads as 0.
bool ReadProcessCounters(int procFd, uint32_t pid, ProcessCounters& out);

// VmRSS and VmHWM alone, for a process whose faults are known; false when status cannot be read.
bool ReadWorkingSets(int procFd, uint32_t pid, ProcessCounters& out);

// The target of the exe link; empty for kernel threads and when the link is refused.
std::string ReadExePath(int procFd, uint32_t pid);

// True when the process's stat can be opened.
bool CanReadProcess(int procFd, uint32_t pid);

}  // namespace nv
