#pragma once
#include <algorithm>
#include <deque>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace nv::test {

// A scripted process table. Each process has the access an open request obtains, a module
// path and counters (either can be made unreadable). Every Open and Close is recorded so that
// tests can check that every handle was closed, and closed once.
class FakeProcesses : public Processes {
 public:
  struct Process {
    uint32_t pid = 0;
    uint32_t parent = 0;
    int32_t basePriority = 8;
    std::string exeName;
    ProcessAccess access = ProcessAccess::Full;
    std::string path;  // empty: the path cannot be read
    ProcessCounters counters;
    bool countersFail = false;
    uint64_t cpuTime = 0;
    uint64_t startTime = 0;
    uint64_t majorFaults = 0;
    uint64_t residentBytes = 0;
  };

  std::deque<Process> table;  // in walk order; a deque, so that Add's references stay valid
  bool walkFails = false;

  int walks = 0;
  std::vector<uint32_t> opened;       // pids, one per Open call
  std::vector<uint32_t> closed;       // pids, one per Close of an open handle
  int badCloses = 0;                  // Close of a handle that is not open
  int selfTrims = 0;
  int releases = 0;  // ReleaseKept calls

  Process& Add(uint32_t pid, std::string exeName, ProcessAccess access = ProcessAccess::Full,
               std::string path = {}) {
    Process p;
    p.pid = pid;
    p.exeName = std::move(exeName);
    p.access = access;
    p.path = std::move(path);
    table.push_back(std::move(p));
    return table.back();
  }

  size_t OpenHandles() const { return open_.size(); }

  Result<std::vector<ProcessWalkEntry>> Walk() override {
    ++walks;
    if (walkFails) return Failure{"the walk was told to fail"};
    std::vector<ProcessWalkEntry> walk;
    for (const auto& p : table)
      walk.push_back({p.pid, p.parent, p.basePriority, p.exeName, p.cpuTime, p.startTime, p.majorFaults, p.residentBytes});
    return walk;
  }

  ProcessHandle Open(uint32_t pid) override {
    opened.push_back(pid);
    const Process* p = Find(pid);
    if (!p || p->access == ProcessAccess::None) return {};
    ProcessHandle h{nextHandle_++, pid, p->access};
    open_[h.native] = pid;
    return h;
  }

  std::string ModulePath(const ProcessHandle& h) override {
    const Process* p = IsOpen(h) ? Find(h.pid) : nullptr;
    return p ? p->path : std::string();
  }

  Result<ProcessCounters> Counters(const ProcessHandle& h) override {
    const Process* p = IsOpen(h) ? Find(h.pid) : nullptr;
    if (!p || p->countersFail) return Failure{"no counters for process " + std::to_string(h.pid)};
    return p->counters;
  }

  void TrimSelf() override { ++selfTrims; }
  void ReleaseKept() override { ++releases; }

  void Close(ProcessHandle& h) override {
    if (!IsOpen(h)) {
      ++badCloses;
      return;
    }
    closed.push_back(h.pid);
    open_.erase(h.native);
    h = ProcessHandle{};
  }

 private:
  const Process* Find(uint32_t pid) const {
    auto it = std::find_if(table.begin(), table.end(), [pid](const Process& p) { return p.pid == pid; });
    return it == table.end() ? nullptr : &*it;
  }
  bool IsOpen(const ProcessHandle& h) const {
    auto it = open_.find(h.native);
    return h.valid() && it != open_.end() && it->second == h.pid;
  }

  int nextHandle_ = 100;
  std::map<int, uint32_t> open_;  // native handle -> pid
};

}  // namespace nv::test
