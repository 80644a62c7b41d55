#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/reclaim.h"

namespace nv {

// One running process of a snapshot. Counters are 0 when they cannot be read; the path is
// empty when the process cannot be opened or its path cannot be read.
struct TProcess {
  ProcessHandle Handle;
  std::string ExeName;
  std::string ExePath;
  uint32_t ProcessID = 0;
  int32_t BasePriority = 0;
  uint32_t ParentProcessID = 0;
  uint64_t PageFaultCount = 0;
  uint64_t PeakWorkingSetSize = 0;
  uint64_t WorkingSetSize = 0;
};

// In walk order. Owns the handles of its entries until CloseProcessHandles.
using TProcessList = std::vector<TProcess>;

// Fills `list` with one opened and described entry per running process. Handles still held
// by `list` are closed first.
void SnapshotProcesses(Processes& processes, TProcessList& list);
// Opens every entry and reads its path and counters.
void QueryProcessDetails(Processes& processes, TProcessList& list);
// Trims every entry whose handle carries the right to change its working set.
void TrimProcessList(Processes& processes, const TProcessList& list);
// Closes every handle, then empties the list.
void CloseProcessHandles(Processes& processes, TProcessList& list);
// Pages out every running process through `reclaimer`, which decides which of them it may.
ReclaimOutcome TrimAllProcesses(Processes& processes, Reclaimer& reclaimer);

// The path as the report shows it: the full path when it has a drive part, else the bare file name.
std::string DisplayedModulePath(const std::string& path);

// Sets `text` to the label of a base priority; leaves it unchanged where there is no label.
void PriorityName(int basePriority, std::string& text);

}  // namespace nv
