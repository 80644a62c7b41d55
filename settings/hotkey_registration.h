#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

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

// The status text that a registration answered late (id, registered) gives its slot: the
// enabled slot of that id; nothing when no enabled slot has it.
std::optional<std::pair<size_t, std::string>> LateHotKeyStatus(const HotKeyTable& current, int id, bool registered);

}  // namespace nv
