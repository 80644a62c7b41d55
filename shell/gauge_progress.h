#pragma once
#include <cstdint>

#include "engine/progress_gauge.h"

class TGauge;

namespace nv {

// Drives a TGauge through a long operation that runs without the event loop. Every step is
// counted, but the gauge is set and the windows may paint only when what it shows (its
// percentage or the length of its bar) changes, so that a step costs a counter, not a paint.
// Without a gauge (its page not made) the operation runs with nothing shown.
class GaugeProgress : public ProgressGauge {
 public:
  explicit GaugeProgress(TGauge* gauge) : gauge_(gauge) {}

  void Start(uint64_t maximum) override;
  void Restart() override;
  void Advance() override {
    if (++count_ >= next_) Publish();
  }
  void Hide() override;

 private:
  void Publish();

  TGauge* gauge_;
  uint64_t maximum_ = 0;
  uint64_t count_ = 0;
  uint64_t next_ = 0;  // the first count that can change the picture
  uint64_t unit_ = 1;  // steps per gauge unit, so that the range fits the gauge's int
};

}  // namespace nv
