#pragma once
#include "engine/trim_backoff.h"
#include "engine/trim_pass.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_reclaim.h"

namespace nv::test {

// A trim pass and its back-off over fake services, which the tests script and read.
struct FakeTrimServices {
  FakeProcesses processes;
  FakeReclaimer reclaimer;
  FakeReclaimMeter meter;
  FakeFocusedWindow focus;
  TrimPass pass{processes, reclaimer, meter, focus};
  TrimBackoff backoff;
};

}  // namespace nv::test
