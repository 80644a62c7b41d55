#pragma once
#include <array>
#include <string>

#include "platform/hotkeys.h"
#include "settings/hotkey_info.h"

namespace nv {

inline constexpr char kHotKeyNotRegistered[] = "not register";

// Unregisters every enabled record by its id; a record whose registration had failed is
// unregistered too, which the system ignores.
void ReleaseHotKeys(HotKeys& hotKeys, const HotKeyTable& current);

// Registers every enabled record in slot order and returns each slot's status text: the
// combination when the system took it, otherwise "not register".
std::array<std::string, 4> ActivateHotKeys(HotKeys& hotKeys, const HotKeyTable& current);

}  // namespace nv
