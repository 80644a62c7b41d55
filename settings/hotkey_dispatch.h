#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "settings/hotkey_info.h"

namespace nv {

// The slots whose current combination equals a delivered hot key, in slot order. Every
// matching slot counts, whether or not its record is enabled or was registered: a combination
// the system delivers is acted on.
std::vector<size_t> SlotsForHotKey(const HotKeyTable& current, uint32_t modifiers, uint32_t virtualKey);

}  // namespace nv
