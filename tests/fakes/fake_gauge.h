#pragma once
#include <cstdint>
#include <vector>

#include "engine/progress_gauge.h"

namespace nv::test {

// Records how a gauge is driven: every Start with its maximum, and for each run from 0 (a
// Start or a Restart) the progress it reached.
class FakeGauge : public ProgressGauge {
 public:
  std::vector<uint64_t> maxima;  // one per Start
  std::vector<uint64_t> runs;    // progress reached by each run from 0
  int hides = 0;
  bool visible = false;

  void Start(uint64_t maximum) override {
    maxima.push_back(maximum);
    runs.push_back(0);
    visible = true;
  }
  void Restart() override { runs.push_back(0); }
  void Advance() override {
    if (!runs.empty()) ++runs.back();
  }
  void Hide() override {
    ++hides;
    visible = false;
  }
};

}  // namespace nv::test
