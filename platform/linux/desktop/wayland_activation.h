#pragma once
#include <string>

namespace nv {

// A token from the compositor named by WAYLAND_DISPLAY (xdg-activation-v1) with which a
// window of `appId` may ask to be raised and focused, over a connection of its own; empty when
// the compositor offers no activation or gives no token. The token carries no input event, so
// a compositor that prevents focus stealing may only mark the window as wanting attention.
std::string RequestActivationToken(const std::string& appId);

}  // namespace nv
