#pragma once
#include <cstdint>

#include "platform/memory.h"

namespace nv {

// Byte counts to whole kilobytes (1024 bytes) and megabytes (1,048,576 bytes). The "Down"
// forms never round up; the "Nearest" forms send an exact half to the even neighbour.
uint64_t MegabytesDown(uint64_t bytes);
uint64_t MegabytesNearest(uint64_t bytes);
uint64_t KilobytesDown(uint64_t bytes);
uint64_t KilobytesNearest(uint64_t bytes);

uint64_t UsedPhys(const MemoryStatusEx& status);
uint64_t UsedPageFile(const MemoryStatusEx& status);

// Unrounded fractions, so that comparisons against them keep the full precision.
long double AvailPhysRatio(const MemoryStatusEx& status);
long double UsedPhysRatio(const MemoryStatusEx& status);
long double UsedPageFileRatio(const MemoryStatusEx& status);

// The size basis of the memory tweak: all of physical memory.
uint64_t TweakSize(const MemoryStatusEx& status);

}  // namespace nv
