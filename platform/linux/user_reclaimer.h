#pragma once
#include <memory>

#include "platform/reclaim.h"

namespace nv {

// The advice of the program and the CLI: given in this process when it runs as root, which may
// advise every process, and through norvane-reclaim otherwise, so that neither ever needs a
// capability of its own.
std::unique_ptr<Reclaimer> MakeUserReclaimer();

}  // namespace nv
