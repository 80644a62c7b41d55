#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/processes.h"

namespace nv {

// "PID/leaf", a path relative to the /proc root, without the cost of a formatted print.
struct EntryPath {
  char text[48];
  EntryPath(std::string_view pid, std::string_view leaf);
  EntryPath(uint32_t pid, std::string_view leaf);
};

// Size of a buffer for a stat text: a few hundred bytes even with the longest name.
constexpr size_t kStatBuffer = 1024;

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

// True when `name` is a numeric /proc entry, the entry of a process.
bool IsPidName(std::string_view name);

// The part of the record that a stat text gives; false when it is not a stat text.
bool TakeWalkStat(std::string_view statText, ProcessWalkRecord& out, std::string_view& comm);

// The exe path and the shown name of a process whose stat said `comm`.
void ReadProcessName(int procFd, std::string_view pidName, std::string_view comm, ProcessWalkRecord& out);

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
