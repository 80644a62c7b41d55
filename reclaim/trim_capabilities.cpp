#include "reclaim/trim_capabilities.h"

#include <sys/capability.h>

namespace nv::reclaim {

bool KeepOnlyTrimCapabilities(bool root) {
  static constexpr cap_value_t kNeeded[] = {CAP_SYS_NICE, CAP_SYS_PTRACE, CAP_FOWNER};
  const int kept = root ? 3 : 1;
  cap_t current = cap_get_proc();
  if (current == nullptr) return false;
  bool permitted = true;
  for (int i = 0; i < kept; ++i) {
    cap_flag_value_t value = CAP_CLEAR;
    permitted = permitted && cap_get_flag(current, kNeeded[i], CAP_PERMITTED, &value) == 0 && value == CAP_SET;
  }
  cap_free(current);
  if (!permitted) return false;
  cap_t only = cap_init();
  const bool set = only != nullptr && cap_set_flag(only, CAP_PERMITTED, kept, kNeeded, CAP_SET) == 0 &&
                   cap_set_flag(only, CAP_EFFECTIVE, kept, kNeeded, CAP_SET) == 0 && cap_set_proc(only) == 0;
  cap_free(only);
  return set;
}

}  // namespace nv::reclaim
