#pragma once
#include <algorithm>

#include "engine/trim_backoff.h"
#include "engine/trim_pass.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_reclaim.h"

namespace nv::test {

// A trim pass and its back-off over fake services, which the tests script and read. A process
// paged out loses the bytes set for it from its resident set.
struct FakeTrimServices {
  FakeTrimServices() {
    reclaimer.whenPagedOut = [this](uint32_t pid, uint64_t bytes) {
      for (auto& p : processes.table)
        if (p.pid == pid) p.residentBytes -= std::min(p.residentBytes, bytes);
    };
  }

  FakeProcesses processes;
  FakeReclaimer reclaimer;
  FakeReclaimMeter meter;
  FakeFocusedWindow focus;
  TrimPass pass{processes, reclaimer, meter, focus};
  TrimBackoff backoff;
};

}  // namespace nv::test
