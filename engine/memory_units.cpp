#include "engine/memory_units.h"

#include <cmath>
#include <limits>

namespace nv {

namespace {

constexpr uint64_t kKilobyte = 1024;
constexpr uint64_t kMegabyte = 1048576;

// With a 64-bit mantissa the quotient of any 64-bit count by a power of two is exact, so
// only the final rounding (the default mode: to nearest, ties to even) decides the result.
uint64_t NearestWhole(uint64_t bytes, uint64_t unit) {
  static_assert(std::numeric_limits<long double>::digits >= 64,
                "the quotient must be exact for every 64-bit count");
  const long double quotient = static_cast<long double>(bytes) / static_cast<long double>(unit);
  return static_cast<uint64_t>(std::nearbyintl(quotient));
}

}  // namespace

uint64_t MegabytesDown(uint64_t bytes) { return bytes / kMegabyte; }
uint64_t MegabytesNearest(uint64_t bytes) { return NearestWhole(bytes, kMegabyte); }
uint64_t KilobytesDown(uint64_t bytes) { return bytes / kKilobyte; }
uint64_t KilobytesNearest(uint64_t bytes) { return NearestWhole(bytes, kKilobyte); }

uint64_t UsedPhys(const MemoryStatusEx& status) { return status.ullTotalPhys - status.ullAvailPhys; }
uint64_t UsedPageFile(const MemoryStatusEx& status) {
  return status.ullTotalPageFile - status.ullAvailPageFile;
}

long double AvailPhysRatio(const MemoryStatusEx& status) {
  return static_cast<long double>(status.ullAvailPhys) / static_cast<long double>(status.ullTotalPhys);
}
long double UsedPhysRatio(const MemoryStatusEx& status) {
  return static_cast<long double>(UsedPhys(status)) / static_cast<long double>(status.ullTotalPhys);
}
long double UsedPageFileRatio(const MemoryStatusEx& status) {
  return static_cast<long double>(UsedPageFile(status)) / static_cast<long double>(status.ullTotalPageFile);
}

uint64_t TweakSize(const MemoryStatusEx& status) { return status.ullTotalPhys; }

}  // namespace nv
