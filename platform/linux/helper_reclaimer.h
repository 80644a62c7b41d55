#pragma once
#include <string>
#include <vector>

#include "platform/reclaim.h"

namespace nv {

// Advice given by norvane-reclaim, the helper that holds the capabilities: one run of it per
// call, the pids on its command line, its figures read back from its one result line.
class HelperReclaimer : public Reclaimer {
 public:
  // `helperPath` empty: no helper was found.
  explicit HelperReclaimer(std::string helperPath);

  // A helper that is missing, holds no capabilities or refuses its location advises nothing
  // and sets privilegeMissing, with the words that tell the user what to do. A refusal because a pass ran less than a second ago is tried
  // again for a moment (timers of one second fire a little early), then counted as skipped.
  ReclaimOutcome Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) override;

 private:
  // The words for the user when the helper's exit code says it lacks the privilege; empty otherwise.
  std::string PrivilegeMessage(int exitCode) const;

  std::string helperPath_;
};

// The helper next to this program's binary, else the one where an install puts it; empty
// when there is neither.
std::string FindReclaimHelper();

}  // namespace nv
