#pragma once
#include <memory>
#include <string>

#include "platform/linux/helper_reclaimer.h"
#include "platform/linux/linux_reclaimer.h"

namespace nv {

// The advice of the program and the CLI: given in this process when it runs as root, which may
// advise every process, and through norvane-reclaim otherwise, so that neither ever needs a
// capability of its own.
class UserReclaimer : public Reclaimer {
 public:
  UserReclaimer();

  ReclaimOutcome Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) override;
  // After an Advise that set privilegeMissing: what is wrong and the command that mends it.
  std::string PrivilegeMissingMessage() const;

 private:
  std::unique_ptr<LinuxReclaimer> inProcess_;
  std::unique_ptr<HelperReclaimer> helper_;
};

}  // namespace nv
