#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/cpu.h"

namespace nv::test {

// Scripted CPU counters as a list of readings, one per sample. A sample begins with the
// processor-count query, which moves on to the next reading (the last one is repeated once
// the script runs out); the time and idle queries answer from the current reading. An empty
// figure (nullopt) makes that query fail. Every query is logged by name so that tests can
// check the order and where a sample stopped.
class FakeCpu : public Cpu {
 public:
  struct Reading {
    std::optional<uint32_t> processorCount = 1u;
    std::optional<uint64_t> systemTime = 0u;
    std::optional<uint64_t> idleTime = 0u;
  };

  std::vector<Reading> readings{Reading{}};
  std::optional<uint32_t> platformId = 2u;
  std::vector<std::string> log;  // "count", "time", "idle", "platform"

  // Queues one reading; the first call replaces the default one.
  void Push(std::optional<uint32_t> count, std::optional<uint64_t> time, std::optional<uint64_t> idle) {
    if (!scripted_) readings.clear();
    scripted_ = true;
    readings.push_back({count, time, idle});
  }

  Result<uint32_t> QueryProcessorCount() override {
    current_ = std::min(next_++, readings.size() - 1);
    return Answer("count", readings[current_].processorCount);
  }
  Result<uint64_t> QuerySystemTime() override { return Answer("time", readings[current_].systemTime); }
  Result<uint64_t> QueryIdleTime() override { return Answer("idle", readings[current_].idleTime); }
  Result<uint32_t> QueryPlatformId() override { return Answer("platform", platformId); }

 private:
  template <typename T>
  Result<T> Answer(const char* name, const std::optional<T>& value) {
    log.push_back(name);
    if (!value) return Failure{std::string("no ") + name + " in the script"};
    return *value;
  }

  bool scripted_ = false;
  size_t next_ = 0;
  size_t current_ = 0;
};

}  // namespace nv::test
