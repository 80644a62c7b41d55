#pragma once
#include <string>

#include "settings/hotkey_info.h"

namespace nv {

// The display text of a hot key, e.g. ALT+SHIFT+'A'. The key is shown as the character of
// the low seven bits of its virtual-key code, so F1 (112) reads as 'p'.
std::string HotKeyText(const THotKeyInfo& info);

}  // namespace nv
