#pragma once
#include <set>
#include <vector>

#include "platform/processes.h"

namespace nv::test {

// The real processes, with the walk narrowed to a chosen few: a pass over them leaves the
// rest of the machine (other people's programs) alone.
class OnlyProcesses : public Processes {
 public:
  OnlyProcesses(Processes& all, std::set<uint32_t> pids) : all_(all), pids_(std::move(pids)) {}

  bool Walk(std::vector<ProcessWalkEntry>& out) override {
    std::vector<ProcessWalkEntry> walk;
    if (!all_.Walk(walk)) return false;
    for (auto& entry : walk)
      if (pids_.count(entry.ProcessID)) out.push_back(std::move(entry));
    return true;
  }
  ProcessHandle Open(uint32_t pid) override { return all_.Open(pid); }
  std::string ModulePath(const ProcessHandle& h) override { return all_.ModulePath(h); }
  bool Counters(const ProcessHandle& h, ProcessCounters& out) override { return all_.Counters(h, out); }
  void TrimSelf() override { all_.TrimSelf(); }
  void Close(ProcessHandle& h) override { all_.Close(h); }
  void ReleaseKept() override { all_.ReleaseKept(); }

 private:
  Processes& all_;
  std::set<uint32_t> pids_;
};

}  // namespace nv::test
