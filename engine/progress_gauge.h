#pragma once
#include <cstdint>

namespace nv {

// The progress display a long operation drives. Advance is called once per page written, so
// an implementation must keep it cheap and redraw only when what it shows changes.
class ProgressGauge {
 public:
  virtual ~ProgressGauge() = default;
  // Minimum 0, the given maximum, progress 0, and shown.
  virtual void Start(uint64_t maximum) = 0;
  virtual void Restart() = 0;  // progress back to 0
  virtual void Advance() = 0;  // progress + 1
  virtual void Hide() = 0;
};

}  // namespace nv
