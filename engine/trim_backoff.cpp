#include "engine/trim_backoff.h"

#include <algorithm>

namespace nv {

bool TrimPassHelped(const TrimPassFigures& figures) {
  return figures.PagedOut() >= kLeastHelpfulPageOut && figures.cameBack * 2 <= figures.PagedOut();
}

std::optional<std::string> TrimBackoff::Wait(const TrimPass& pass) {
  // A pass that paged out enough to help is judged once all that came back in its window is
  // counted; one that did not is judged at once, as nothing it did can change that.
  if (pass.Last() && pass.Passes() != judgedPasses_ &&
      (!pass.Watching() || pass.Last()->PagedOut() < kLeastHelpfulPageOut)) {
    judgedPasses_ = pass.Passes();
    const TrimPassFigures& last = *pass.Last();
    if (TrimPassHelped(last)) {
      nextWait_ = 1;
    } else {
      waitLeft_ = nextWait_;
      nextWait_ = std::min(nextWait_ * 2, kLongestWait);
      reason_ = last.PagedOut() < kLeastHelpfulPageOut ? "the last pass paged out less than 1 MB"
                                                       : "the last pass came back";
    }
  }
  if (waitLeft_ == 0) return std::nullopt;
  const int left = waitLeft_--;
  return "Auto-optimization waits " + std::to_string(left) + (left == 1 ? " interval: " : " intervals: ") + reason_;
}

}  // namespace nv
