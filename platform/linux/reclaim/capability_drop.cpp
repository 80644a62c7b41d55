#include "platform/linux/reclaim/capability_drop.h"

#include <sys/capability.h>
#include <unistd.h>

namespace nv {

namespace {

bool HoldsAny(cap_t caps) {
  cap_t none = cap_init();
  const bool any = none != nullptr && cap_compare(caps, none) != 0;
  cap_free(none);
  return any;
}

bool HoldsAmbient() {
  for (cap_value_t capability = 0; capability <= CAP_LAST_CAP; ++capability)
    if (cap_get_ambient(capability) > 0) return true;
  return false;
}

}  // namespace

CapabilityDrop DropEveryCapability() {
  CapabilityDrop drop;
  if (::geteuid() == 0) return drop;
  cap_t current = cap_get_proc();
  if (current == nullptr) {
    drop.held = "unknown: they cannot be read";
    drop.dropped = false;
    return drop;
  }
  if (HoldsAny(current) || HoldsAmbient()) {
    char* text = cap_to_text(current, nullptr);
    drop.held = text != nullptr ? text : "some";
    cap_free(text);
    cap_t none = cap_init();
    drop.dropped = cap_reset_ambient() == 0 && none != nullptr && cap_set_proc(none) == 0;
    cap_free(none);
  }
  cap_free(current);
  return drop;
}

}  // namespace nv
