#pragma once
#include <cstdint>

namespace nv {

// The X keysym of the key a Windows virtual-key code names (US layout for the punctuation
// keys); 0 for codes that have no key of their own here.
uint32_t KeysymForVirtualKey(uint32_t virtualKey);

// The punctuation keys and the digit row are known by where they lie, whatever a layout prints
// on them: by their XKB keycode (the evdev code plus 8, used by X servers and Wayland
// compositors alike). The punctuation keys take the VK_OEM_* code of their place on a US
// keyboard; the ISO key beside the left Shift is VK_OEM_102 and the key left of the right Shift
// on JIS and ABNT keyboards VK_OEM_8. 0 for any other keycode.
uint32_t VirtualKeyOfPunctuationKeycode(uint32_t keycode);
uint32_t VirtualKeyOfDigitRowKeycode(uint32_t keycode);
// The keycode of the key a VK_OEM_* code names; 0 for any other code.
uint32_t PunctuationKeycodeOfVirtualKey(uint32_t virtualKey);

}  // namespace nv
