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

// The lines added to the report on a system with swap: how much more swap was in use after
// the optimization than before, and how much is left free, from the swap figures (bytes).
std::string SwapReportLines(uint64_t usedBefore, uint64_t usedAfter, uint64_t freeAfter);

}  // namespace nv
