#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "engine/trim_pass.h"

namespace nv {

// Auto-optimization's wait after passes that could not help: a pass that paged out less than
// 1 MB, or whose pages came back to the processes it paged out by more than half, is followed
// by 1, 2, 4 ... up to 32 skipped intervals; a pass that helps ends the waiting. Without it a
// pass every second would free nothing and make programs read their pages again and again.
// What other processes read back meanwhile does not count against a pass.
class TrimBackoff {
 public:
  static constexpr int kLongestWait = 32;

  // At a tick: judges the last pass of `pass` once (after its watch window when it paged out
  // 1 MB or more), then tells whether this tick waits, with the text that says why; none when
  // the tick may pass.
  std::optional<std::string> Wait(const TrimPass& pass);

 private:
  uint64_t judgedPasses_ = 0;
  int nextWait_ = 1;
  int waitLeft_ = 0;
  const char* reason_ = "";
};

// Less paged out than this is a pass that did not help.
inline constexpr uint64_t kLeastHelpfulPageOut = uint64_t{1} << 20;

// Whether a pass helped: it paged out at least 1 MB, and at most half of it came back.
bool TrimPassHelped(const TrimPassFigures& figures);

}  // namespace nv
