#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "settings/hotkey_info.h"

namespace nv {

// Taking a combination from the keyboard in a slot's edit box. `held` is the set of MOD_SHIFT,
// MOD_ALT and MOD_CONTROL held at the key event (the Windows key is never captured).

// A key went down: returns the text the box shows. The slot's pending record takes the
// combination only when the key is not a modifier itself and a modifier is held. A key without
// a code (0) is refused: the box shows the pending combination again.
std::string CaptureKeyDown(THotKeyInfo& pending, size_t slot, uint32_t virtualKey, uint32_t held);

// A key went up: the pending combination to show again once the user lets go, or nullopt
// while the box keeps its text.
std::optional<std::string> CaptureKeyUp(const THotKeyInfo& pending, uint32_t virtualKey, uint32_t held);

}  // namespace nv
