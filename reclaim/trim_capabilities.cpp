#include "reclaim/trim_capabilities.h"

#include <sys/capability.h>

namespace nv::reclaim {

bool KeepOnlyTrimCapabilities() {
  static constexpr cap_value_t kNeeded[] = {CAP_SYS_PTRACE, CAP_SYS_NICE};
  cap_t current = cap_get_proc();
  if (current == nullptr) return false;
  bool permitted = true;
  for (cap_value_t capability : kNeeded) {
    cap_flag_value_t value = CAP_CLEAR;
    permitted = permitted && cap_get_flag(current, capability, CAP_PERMITTED, &value) == 0 && value == CAP_SET;
  }
  cap_free(current);
  if (!permitted) return false;
  cap_t only = cap_init();
  const bool kept = only != nullptr && cap_set_flag(only, CAP_PERMITTED, 2, kNeeded, CAP_SET) == 0 &&
                    cap_set_flag(only, CAP_EFFECTIVE, 2, kNeeded, CAP_SET) == 0 && cap_set_proc(only) == 0;
  cap_free(only);
  return kept;
}

}  // namespace nv::reclaim
