#include <gtest/gtest.h>

#include "platform/linux/system/self_trim.h"

namespace nv {
namespace {

constexpr uint64_t kStep = kSelfTrimStep;

struct Second {
  uint64_t freeHeap;
  uint64_t residentAnon;
  bool returnHeap;
  bool coolAnon;
  const char* what;
};

TEST(SelfTrimRule, AStepIsTakenOnlyWhenItsFigureGrewByAStepAboveItsLowPoint) {
  const Second seconds[] = {
      {kStep - 1, kStep - 1, false, false, "start-up left less than a step"},
      {kStep, 2 * kStep, true, true, "a step above nothing"},
      {kStep, 2 * kStep, false, false, "nothing grew"},
      {kStep + kStep / 2, 2 * kStep + kStep / 2, false, false, "less than a step: what a refresh uses and frees"},
      {kStep, 2 * kStep, false, false, "back where it was"},
      {kStep / 4, kStep, false, false, "fell: the low point follows it down"},
      {kStep / 4 + kStep, 2 * kStep, true, true, "a step above the low point, though no higher than at the last step"},
      {kStep / 4 + kStep, 2 * kStep, false, false, "steady after the step"},
      {3 * kStep, 2 * kStep, true, false, "only the heap grew"},
      {3 * kStep, 3 * kStep, false, true, "only the anonymous memory grew"},
  };
  SelfTrimRule rule;
  int second = 0;
  for (const Second& s : seconds) {
    const SelfTrimSteps steps = rule.Next({s.freeHeap, s.residentAnon});
    EXPECT_EQ(steps.returnHeap, s.returnHeap) << "second " << second << ": " << s.what;
    EXPECT_EQ(steps.coolAnon, s.coolAnon) << "second " << second << ": " << s.what;
    ++second;
  }
}

}  // namespace
}  // namespace nv
