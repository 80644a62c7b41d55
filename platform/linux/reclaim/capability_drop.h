#pragma once
#include <string>

namespace nv {

struct CapabilityDrop {
  std::string held;   // the capabilities the process held before, as setcap writes them; empty: none
  bool dropped = true;
};

// Clears the permitted, effective, inheritable and ambient capabilities of a process that does
// not run as root. A Qt program must hold none: Qt loads plugins from folders named in the
// environment, and their code would run with whatever the process holds. The bounding set is
// kept, so that norvane-reclaim still receives its own capabilities when the program runs it.
CapabilityDrop DropEveryCapability();

}  // namespace nv
