#include "platform/linux/reclaim/user_reclaimer.h"

#include <unistd.h>

#include "platform/linux/reclaim/helper_reclaimer.h"
#include "platform/linux/system/linux_reclaimer.h"

namespace nv {

std::unique_ptr<Reclaimer> MakeUserReclaimer(std::function<void()> whileWaiting) {
  if (::geteuid() == 0) return std::make_unique<LinuxReclaimer>();
  auto helper = std::make_unique<HelperReclaimer>(FindReclaimHelper());
  helper->WhileWaiting(std::move(whileWaiting));
  return helper;
}

}  // namespace nv
