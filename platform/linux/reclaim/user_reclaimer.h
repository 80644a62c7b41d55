#pragma once
#include <functional>
#include <memory>

#include "platform/reclaim.h"

namespace nv {

// The advice of the program and the CLI: given in this process when it runs as root, which may
// advise every process, and through norvane-reclaim otherwise, so that neither ever needs a
// capability of its own. `whileWaiting` is called now and then while the helper is awaited.
std::unique_ptr<Reclaimer> MakeUserReclaimer(std::function<void()> whileWaiting = {});

}  // namespace nv
