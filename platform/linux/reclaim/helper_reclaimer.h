#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/reclaim.h"

namespace nv {

// Advice given by norvane-reclaim, the helper that holds the capability: one run of it per
// call, the pids on its command line, its figures read back from its one result line. The
// helper advises only the caller's own processes; machine-wide advice runs it as root through
// pkexec, which asks polkit whether an administrator allows it.
class HelperReclaimer : public Reclaimer {
 public:
  // How long the helper may take to answer; through pkexec, the person at the seat also
  // authenticates in that time.
  static constexpr std::chrono::milliseconds kDeadline{30'000};
  static constexpr std::chrono::milliseconds kAuthorizationDeadline{120'000};

  // `helperPath` empty: no helper was found. `pkexecPath`: where pkexec is installed.
  explicit HelperReclaimer(std::string helperPath, std::string pkexecPath = "/usr/bin/pkexec",
                           std::chrono::milliseconds deadline = kDeadline,
                           std::chrono::milliseconds authorizationDeadline = kAuthorizationDeadline);

  // A helper that is missing, holds no capability or refuses its location advises nothing and
  // sets privilegeMissing, with the words that tell the user what to do; one that fails
  // otherwise (crashes, refuses the request, does not answer within its deadline) sets failure.
  ReclaimOutcome Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) override;
  // The helper as root through pkexec; when polkit does not authorize it (refused, cancelled,
  // no authentication agent) or pkexec is missing, Advise instead, with othersLeftAlone set.
  ReclaimOutcome AdviseMachineWide(const std::vector<uint32_t>& pids, ReclaimAdvice advice) override;

  // Called every few tens of milliseconds while the answer is awaited (a window lets itself
  // paint, as the person authenticates or the helper works).
  void WhileWaiting(std::function<void()> call) { whileWaiting_ = std::move(call); }

 private:
  struct Run;
  Run RunProgram(const std::string& program, const std::vector<std::string>& args,
                 std::chrono::milliseconds deadline) const;
  // The outcome a run of the helper (directly or under pkexec) tells of.
  ReclaimOutcome OutcomeOf(const Run& run, size_t pidCount) const;
  // The words for the user when the helper's exit code says it lacks the privilege; empty otherwise.
  std::string PrivilegeMessage(int exitCode) const;

  std::string helperPath_;
  std::string pkexecPath_;
  std::chrono::milliseconds deadline_;
  std::chrono::milliseconds authorizationDeadline_;
  std::function<void()> whileWaiting_;
};

// The helper next to this program's binary, else the one where an install puts it; empty
// when there is neither.
std::string FindReclaimHelper();

}  // namespace nv
