#pragma once
#include <cstdint>
#include <string>

#include "platform/memory.h"

namespace nv {

// The three lines shown after an overall optimization, from the available physical memory
// before and after it, in bytes. Less memory available afterwards releases nothing.
std::string OptimizationReport(uint64_t availBefore, uint64_t availAfter);
// The same from two memory status readings; when either failed, why there are no figures.
std::string OptimizationReport(const Result<MemoryStatusEx>& before, const Result<MemoryStatusEx>& after);

}  // namespace nv
