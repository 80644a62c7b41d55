#pragma once
#include <cstddef>
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

// In walk order. Owns the handles of its entries: CloseProcessHandles closes them as soon as
// they are no longer needed, and the list closes what is left when it goes, so that an
// exception between the snapshot and the close leaks no handle. Move-only, as its handles are.
// It must not outlive the Processes that opened them.
class TProcessList {
 public:
  TProcessList() = default;
  ~TProcessList();
  TProcessList(const TProcessList&) = delete;
  TProcessList& operator=(const TProcessList&) = delete;
  TProcessList(TProcessList&& other) noexcept;
  TProcessList& operator=(TProcessList&& other) noexcept;

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const TProcess& operator[](size_t i) const { return entries_[i]; }
  const TProcess& front() const { return entries_.front(); }
  std::vector<TProcess>::const_iterator begin() const { return entries_.begin(); }
  std::vector<TProcess>::const_iterator end() const { return entries_.end(); }

 private:
  friend void SnapshotProcesses(Processes& processes, TProcessList& list);
  friend void CloseProcessHandles(TProcessList& list);

  Processes* opener_ = nullptr;  // the source of the handles held, while any are
  std::vector<TProcess> entries_;
};

// Fills `list` with one opened and described entry per running process. Handles still held
// by `list` are closed first.
void SnapshotProcesses(Processes& processes, TProcessList& list);
// Closes every handle, then empties the list.
void CloseProcessHandles(TProcessList& list);
// Pages out every process of a fresh walk through `reclaimer`, machine-wide (an administrator
// is asked where needed), which opens each one itself; no handle is taken here.
ReclaimOutcome TrimProcessList(Processes& processes, Reclaimer& reclaimer);

// Sets `text` to the label of a base priority; leaves it unchanged where there is no label.
void PriorityName(int basePriority, std::string& text);

}  // namespace nv
