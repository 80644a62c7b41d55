#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/cpu.h"

namespace nv::test {

// Scripted CPU counters as a list of readings, one per query (the last one is repeated once
// the script runs out). An empty reading (nullopt) makes that query fail.
class FakeCpu : public Cpu {
 public:
  std::vector<std::optional<CpuTimes>> readings{CpuTimes{}};
  int queries = 0;

  // Queues one reading of `total` and `idle` ticks, or a failure; the first call replaces the
  // default reading.
  void Push(std::optional<CpuTimes> reading) {
    if (!scripted_) readings.clear();
    scripted_ = true;
    readings.push_back(reading);
  }
  void Push(uint64_t total, uint64_t idle) { Push(CpuTimes{total, idle}); }

  Result<CpuTimes> QueryCpuTimes() override {
    const auto& reading = readings[std::min<size_t>(static_cast<size_t>(queries++), readings.size() - 1)];
    if (!reading) return Failure{"no reading in the script"};
    return *reading;
  }

 private:
  bool scripted_ = false;
};

}  // namespace nv::test
