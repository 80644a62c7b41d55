#pragma once
#include <string>
#include <string_view>

#include "platform/reclaim.h"

namespace nv::reclaim {

// What norvane-reclaim, the helper that holds the privilege to advise processes, and the
// program that calls it agree on: the advice words of its command line, its exit codes and its
// one line of output (the result line, or on a refusal the reason).

constexpr const char* kHelperName = "norvane-reclaim";

// The helper's exit codes. The refusals have a code each, so that the caller can tell the user
// what to mend without reading the helper's words.
enum ExitCode : int {
  kDone = 0,            // the pass ran; the result line is on standard output
  kUsage = 2,           // the command line is not a request
  kNoPrivilege = 3,     // the helper holds no capabilities (not installed with them)
  kUnsafeLocation = 4,  // its file or a folder above it can be changed by someone other than root
  kFailed = 6,          // the pass could not run at all (no /proc, too few files allowed)
};

const char* AdviceWord(ReclaimAdvice advice);
// False when `word` names no advice.
bool ParseAdviceWord(std::string_view word, ReclaimAdvice& advice);

// One line of counts, "advised=3 skipped_gone=0 skipped_denied=1 skipped_other=2 paged_out_bytes=4096",
// without its newline. It carries figures only: nothing of any process's memory map.
std::string FormatResultLine(const ReclaimOutcome& outcome);
// False unless `line` is such a line with every figure in range.
bool ParseResultLine(std::string_view line, ReclaimOutcome& outcome);

}  // namespace nv::reclaim
