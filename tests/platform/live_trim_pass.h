#pragma once
#include <set>

#include "engine/trim_pass.h"
#include "only_processes.h"
#include "platform/focus.h"
#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaim_meter.h"
#include "platform/linux/system/linux_reclaimer.h"

namespace nv::test {

// A trim pass with the real services of this machine, over the chosen processes alone. Its
// idle age is none: a process idle since the look before is idle enough, as tests and benches
// have no minutes to wait.
struct LiveTrimPass {
  explicit LiveTrimPass(std::set<uint32_t> pids) : processes(all, std::move(pids)) {}

  LinuxProcesses all;
  OnlyProcesses processes;
  LinuxReclaimer reclaimer;
  LinuxReclaimMeter meter;
  NoFocusedWindowKnown focus;
  TrimPass pass{processes, reclaimer, meter, focus, TrimClock::duration::zero()};
};

}  // namespace nv::test
