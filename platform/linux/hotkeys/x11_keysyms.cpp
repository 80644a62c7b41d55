#include "platform/linux/hotkeys/x11_keysyms.h"

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

namespace {

struct PlacedKey {
  uint32_t keycode, virtualKey;
};
constexpr PlacedKey kPunctuationKeys[] = {
    {47, 0xBA},  // VK_OEM_1, ";:"
    {21, 0xBB},  // VK_OEM_PLUS, "=+"
    {59, 0xBC},  // VK_OEM_COMMA
    {20, 0xBD},  // VK_OEM_MINUS
    {60, 0xBE},  // VK_OEM_PERIOD
    {61, 0xBF},  // VK_OEM_2, "/?"
    {49, 0xC0},  // VK_OEM_3, "`~"
    {34, 0xDB},  // VK_OEM_4, "[{"
    {51, 0xDC},  // VK_OEM_5, "\\|"
    {35, 0xDD},  // VK_OEM_6, "]}"
    {48, 0xDE},  // VK_OEM_7, "'\""
    {97, 0xDF},  // VK_OEM_8
    {94, 0xE2},  // VK_OEM_102
};

}  // namespace

uint32_t VirtualKeyOfPunctuationKeycode(uint32_t keycode) {
  for (const auto& key : kPunctuationKeys)
    if (key.keycode == keycode) return key.virtualKey;
  return 0;
}

uint32_t VirtualKeyOfDigitRowKeycode(uint32_t keycode) {
  // Keycodes 10 to 18 are the keys 1 to 9, and 19 the key 0.
  if (keycode >= 10 && keycode <= 18) return '1' + (keycode - 10);
  return keycode == 19 ? '0' : 0;
}

uint32_t PunctuationKeycodeOfVirtualKey(uint32_t virtualKey) {
  for (const auto& key : kPunctuationKeys)
    if (key.virtualKey == virtualKey) return key.keycode;
  return 0;
}

}  // namespace nv
