#include "platform/linux/x11_keysyms.h"

namespace nv {

uint32_t KeysymForVirtualKey(uint32_t virtualKey) {
  // Ranges whose codes run in step with their keysyms.
  if (virtualKey >= 'A' && virtualKey <= 'Z') return 'a' + (virtualKey - 'A');  // keysyms of the unshifted letters
  if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
  if (virtualKey >= 0x70 && virtualKey <= 0x87) return 0xFFBE + (virtualKey - 0x70);  // F1..F24
  if (virtualKey >= 0x60 && virtualKey <= 0x69) return 0xFFB0 + (virtualKey - 0x60);  // keypad 0..9
  if (virtualKey >= 0x6A && virtualKey <= 0x6F) return 0xFFAA + (virtualKey - 0x6A);  // keypad * + , - . /
  static constexpr struct {
    uint32_t virtualKey, keysym;
  } kKeys[] = {
      {0x08, 0xFF08},  // Backspace
      {0x09, 0xFF09},  // Tab
      {0x0D, 0xFF0D},  // Return
      {0x13, 0xFF13},  // Pause
      {0x14, 0xFFE5},  // Caps Lock
      {0x1B, 0xFF1B},  // Escape
      {0x20, 0x0020},  // Space
      {0x21, 0xFF55},  // Page Up
      {0x22, 0xFF56},  // Page Down
      {0x23, 0xFF57},  // End
      {0x24, 0xFF50},  // Home
      {0x25, 0xFF51},  // Left
      {0x26, 0xFF52},  // Up
      {0x27, 0xFF53},  // Right
      {0x28, 0xFF54},  // Down
      {0x2C, 0xFF61},  // Print
      {0x2D, 0xFF63},  // Insert
      {0x2E, 0xFFFF},  // Delete
      {0x5D, 0xFF67},  // Menu
      {0x90, 0xFF7F},  // Num Lock
      {0x91, 0xFF14},  // Scroll Lock
      {0xBA, ';'},  {0xBB, '='}, {0xBC, ','},  {0xBD, '-'}, {0xBE, '.'}, {0xBF, '/'},
      {0xC0, '`'},  {0xDB, '['}, {0xDC, '\\'}, {0xDD, ']'}, {0xDE, '\''},
  };
  for (const auto& key : kKeys)
    if (key.virtualKey == virtualKey) return key.keysym;
  return 0;
}

}  // namespace nv
