#include "engine/process_list.h"

#include <utility>

#include "platform/log.h"

namespace nv {

namespace {

// The walk's record holds the name in 260 characters.
constexpr size_t kMaxExeName = 260;

// Opens the process and reads its path and counters.
void QueryProcessDetails(Processes& processes, TProcess& process) {
  process.Handle = processes.Open(process.ProcessID);
  if (!process.Handle.valid()) return;
  process.ExePath = processes.ModulePath(process.Handle);
  // A process that ended since the walk keeps zero counters, as a refused query does.
  if (const auto counters = processes.Counters(process.Handle)) {
    process.PageFaultCount = counters->PageFaultCount;
    process.PeakWorkingSetSize = counters->PeakWorkingSetSize;
    process.WorkingSetSize = counters->WorkingSetSize;
  }
}

}  // namespace

TProcessList::~TProcessList() { CloseProcessHandles(*this); }

TProcessList::TProcessList(TProcessList&& other) noexcept
    : opener_(std::exchange(other.opener_, nullptr)), entries_(std::move(other.entries_)) {
  other.entries_.clear();
}

TProcessList& TProcessList::operator=(TProcessList&& other) noexcept {
  if (this != &other) {
    CloseProcessHandles(*this);
    opener_ = std::exchange(other.opener_, nullptr);
    entries_ = std::move(other.entries_);
    other.entries_.clear();
  }
  return *this;
}

void SnapshotProcesses(Processes& processes, TProcessList& list) {
  CloseProcessHandles(list);
  const auto walked = processes.Walk();
  if (!walked) LogFailure(LogLevel::Error, "The process list is empty", walked.error());
  const std::vector<ProcessWalkEntry> walk = walked.value_or({});
  list.opener_ = &processes;
  list.entries_.reserve(walk.size());
  for (const auto& entry : walk) {
    TProcess process;
    process.ProcessID = entry.ProcessID;
    process.ExeName = entry.ExeName.substr(0, kMaxExeName);
    process.BasePriority = entry.BasePriority;
    process.ParentProcessID = entry.ParentProcessID;
    // Added before it is opened, so that the list owns the handle the moment it exists.
    list.entries_.push_back(std::move(process));
    QueryProcessDetails(processes, list.entries_.back());
  }
}

void CloseProcessHandles(TProcessList& list) {
  for (auto& process : list.entries_)
    if (process.Handle.valid()) list.opener_->Close(process.Handle);
  list.entries_.clear();
  list.opener_ = nullptr;
}

ReclaimOutcome TrimProcessList(Processes& processes, Reclaimer& reclaimer) {
  const auto walk = processes.Walk();
  if (!walk) LogFailure(LogLevel::Error, "No process is trimmed", walk.error());
  std::vector<uint32_t> pids;
  for (const auto& entry : walk.value_or({})) pids.push_back(entry.ProcessID);
  return reclaimer.AdviseMachineWide(pids, ReclaimAdvice::PageOut);
}

void PriorityName(int basePriority, std::string& text) {
  switch (basePriority) {
    case 0: text = "Vacant"; break;
    case 1: case 2: case 3: case 4: case 5: case 6: text = "Low"; break;
    case 8: case 9: case 11: text = "Standard"; break;
    case 10: text = "High"; break;
    case 12: case 13: text = "Very high"; break;
    case 14: case 15: text = "Real-time"; break;
    default: break;
  }
}

}  // namespace nv
