#pragma once
#include <cstdint>
#include <string_view>

#include "platform/cpu.h"

namespace nv {

// The fields of /proc/PID/stat the program uses.
struct ProcessStat {
  uint32_t pid = 0;
  std::string_view comm;  // points into the parsed text
  uint32_t ppid = 0;
  uint64_t flags = 0;  // PF_* flags of the task
  uint64_t minorFaults = 0;
  uint64_t majorFaults = 0;
  uint64_t userTicks = 0;
  uint64_t systemTicks = 0;
  uint64_t startTicks = 0;  // since boot
  uint64_t residentPages = 0;
  int nice = 0;
  uint32_t policy = 0;
};

// Parses one /proc/PID/stat text. The name may hold spaces and parentheses, so the fields are
// counted from the LAST ')'. False when the text is not a stat line.
bool ParseProcessStat(std::string_view text, ProcessStat& out);

// A kernel thread: no executable, no argv, no memory of its own.
bool IsKernelThread(const ProcessStat& stat);

// The base priority on the 0..31 scale: the Windows base priority of the class that the
// scheduling policy and nice value stand for.
int32_t BasePriorityOf(uint32_t policy, int nice);

// The two working-set figures of /proc/PID/status, in bytes.
struct ProcessStatusMemory {
  uint64_t residentBytes = 0;      // VmRSS
  uint64_t peakResidentBytes = 0;  // VmHWM
  int found = 0;                   // how many of the two were seen
};

// Takes VmRSS or VmHWM from one status line; false once both have been seen.
bool TakeStatusLine(std::string_view line, ProcessStatusMemory& out);

// The resident pages of one /proc/PID/statm text (its second figure): the same count as VmRSS,
// where the rss of stat is a cheaper estimate. False when the text is not a statm line.
bool ParseStatmResidentPages(std::string_view text, uint64_t& pages);

// The times of the summed "cpu" line of /proc/stat: user nice system idle iowait irq softirq
// steal, as far as the kernel writes them (at least up to idle). False for any other line.
bool ParseCpuStatLine(std::string_view line, CpuTimes& out);

}  // namespace nv
