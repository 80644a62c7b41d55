#pragma once
#include <string>

#include "engine/memory_tweak.h"
#include "platform/memory.h"
#include "platform/processes.h"
#include "platform/reclaim.h"

namespace nv {

struct OverallOptimization {
  std::string report;    // the available physical memory before and after, and what was released
  ReclaimOutcome trim;   // what became of the trim of every process
};

// The work of an overall optimization once the user has agreed: the memory tweak of the
// level, a trim of every process, and the report of the available physical memory before
// and after, with what went to swap and the swap left when the system has swap (`meter`).
OverallOptimization RunOverallOptimization(Memory& memory, Processes& processes, Reclaimer& reclaimer,
                                           ReclaimMeter& meter, MemoryTweak& tweak, int level, ProgressGauge& gauge);

}  // namespace nv
