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

  Result<std::vector<ProcessWalkEntry>> Walk() override {
    auto walk = all_.Walk();
    if (!walk) return walk;
    std::vector<ProcessWalkEntry> only;
    for (auto& entry : *walk)
      if (pids_.count(entry.ProcessID)) only.push_back(std::move(entry));
    return only;
  }
  ProcessHandle Open(uint32_t pid) override { return all_.Open(pid); }
  std::string ModulePath(const ProcessHandle& h) override { return all_.ModulePath(h); }
  Result<ProcessCounters> Counters(const ProcessHandle& h) override { return all_.Counters(h); }
  void TrimSelf() override { all_.TrimSelf(); }
  void Close(ProcessHandle& h) override { all_.Close(h); }
  void ReleaseKept() override { all_.ReleaseKept(); }

 private:
  Processes& all_;
  std::set<uint32_t> pids_;
};

}  // namespace nv::test
