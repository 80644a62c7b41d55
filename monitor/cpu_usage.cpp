#include "monitor/cpu_usage.h"

#include <algorithm>
#include <cmath>

#include "platform/log.h"

namespace nv {

namespace {

// How far a counter advanced; nothing when it went back (the kernel's iowait can).
uint64_t Advance(uint64_t now, uint64_t before) { return now > before ? now - before : 0; }

}  // namespace

double CpuUsageSampler::SampleNtCpuUsage() {
  const auto now = cpu_.QueryCpuTimes();
  if (!now) {
    failures_.Failed(now.error());
    return 0;
  }
  failures_.Succeeded();

  double result = 0;
  if (primed_) {
    const uint64_t total = Advance(now->total, previous_.total);
    if (total == 0) return 0;
    const uint64_t idle = std::min(Advance(now->idle, previous_.idle), total);
    const double busy = 100.0 * static_cast<double>(total - idle) / static_cast<double>(total);
    // Half up, ties to even, as the figures have always been rounded: 37.2 gives 38, 41 gives
    // 42, and a fully busy interval gives exactly 100.
    result = std::clamp(std::nearbyint(busy + 0.5), 0.0, 100.0);
    if (pump_) pump_();
  }
  previous_ = *now;
  primed_ = true;
  return result;
}

}  // namespace nv
