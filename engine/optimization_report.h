#pragma once
#include <cstdint>
#include <string>

namespace nv {

// The three lines shown after an overall optimization, from the available physical memory
// before and after it, in bytes. Less memory available afterwards releases nothing.
std::string OptimizationReport(uint64_t availBefore, uint64_t availAfter);

}  // namespace nv
