#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/focus.h"
#include "platform/reclaim.h"

namespace nv::test {

// Records every Advise call; each advised pid drops by the bytes set for it, and the meter
// shared with it (when given) gains them as available memory.
class FakeReclaimer : public Reclaimer {
 public:
  struct Call {
    std::vector<uint32_t> pids;
    ReclaimAdvice advice;
  };
  std::vector<Call> calls;
  std::map<uint32_t, uint64_t> pageOutBytes;  // by pid, for page-out advice
  uint64_t* availableBytes = nullptr;         // raised by what is paged out
  // Told of each process paged out and its bytes, for fakes that follow the page-out.
  std::function<void(uint32_t pid, uint64_t bytes)> whenPagedOut;
  std::string missingPrivilege;               // when set: nothing is advised, for want of the privilege
  std::string failure;                        // when set: nothing is advised, as the helper failed

  ReclaimOutcome Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) override {
    calls.push_back({pids, advice});
    ReclaimOutcome outcome;
    if (!missingPrivilege.empty()) {
      outcome.skippedDenied = static_cast<uint32_t>(pids.size());
      outcome.privilegeMissing = true;
      outcome.privilegeMessage = missingPrivilege;
      return outcome;
    }
    if (!failure.empty()) {
      outcome.skippedOther = static_cast<uint32_t>(pids.size());
      outcome.failure = failure;
      return outcome;
    }
    for (uint32_t pid : pids) {
      ++outcome.advised;
      if (advice != ReclaimAdvice::PageOut || !pageOutBytes.count(pid)) continue;
      outcome.bytesPagedOut += pageOutBytes[pid];
      if (availableBytes) *availableBytes += pageOutBytes[pid];
      if (whenPagedOut) whenPagedOut(pid, pageOutBytes[pid]);
    }
    return outcome;
  }

  // The pids given `advice`, over every call.
  std::vector<uint32_t> Advised(ReclaimAdvice advice) const {
    std::vector<uint32_t> pids;
    for (const auto& call : calls)
      if (call.advice == advice) pids.insert(pids.end(), call.pids.begin(), call.pids.end());
    return pids;
  }
};

// Settable system figures; reads can be made to fail.
class FakeReclaimMeter : public ReclaimMeter {
 public:
  ReclaimCounters counters;
  bool fails = false;
  int reads = 0;

  Result<ReclaimCounters> Read() override {
    ++reads;
    if (fails) return Failure{"the meter was told to fail"};
    return counters;
  }
};

class FakeFocusedWindow : public FocusedWindow {
 public:
  std::optional<uint32_t> pid;
  std::optional<uint32_t> FocusedProcess() override { return pid; }
};

}  // namespace nv::test
