#pragma once
#include <cstdint>

namespace nv {

// The X keysym of the key a Windows virtual-key code names (US layout for the punctuation
// keys); 0 for codes that have no key of their own here.
uint32_t KeysymForVirtualKey(uint32_t virtualKey);

}  // namespace nv
