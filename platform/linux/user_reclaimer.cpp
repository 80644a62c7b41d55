#include "platform/linux/user_reclaimer.h"

#include <unistd.h>

namespace nv {

UserReclaimer::UserReclaimer() {
  if (::geteuid() == 0) {
    inProcess_ = std::make_unique<LinuxReclaimer>();
  } else {
    helper_ = std::make_unique<HelperReclaimer>(FindReclaimHelper());
  }
}

ReclaimOutcome UserReclaimer::Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) {
  return inProcess_ ? inProcess_->Advise(pids, advice) : helper_->Advise(pids, advice);
}

std::string UserReclaimer::PrivilegeMissingMessage() const {
  return helper_ ? helper_->PrivilegeMissingMessage() : std::string();
}

}  // namespace nv
