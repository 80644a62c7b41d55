#pragma once
#include <string>

#include "engine/memory_tweak.h"
#include "platform/memory.h"
#include "platform/processes.h"

namespace nv {

// The work of an overall optimization once the user has agreed: the memory tweak of the
// level, a trim of every process, and the report of the available physical memory before
// and after.
std::string RunOverallOptimization(Memory& memory, Processes& processes, MemoryTweak& tweak, int level,
                                   ProgressGauge& gauge);

}  // namespace nv
