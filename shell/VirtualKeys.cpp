#include "shell/VirtualKeys.h"

#include "platform/hotkeys.h"
#include "platform/linux/hotkeys/x11_keysyms.h"

namespace {

constexpr uint32_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12;

uint32_t KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x60 + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Comma: return 0x6C;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    default: return 0;
  }
}

uint32_t MainKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  static constexpr struct {
    int qtKey;
    uint32_t virtualKey;
  } kKeys[] = {
      {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_AltGr, VK_MENU},
      {Qt::Key_Meta, 0x5B},      {Qt::Key_Super_L, 0x5B},       {Qt::Key_Super_R, 0x5C}, {Qt::Key_Menu, 0x5D},
      {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},           {Qt::Key_Backtab, 0x09}, {Qt::Key_Return, 0x0D},
      {Qt::Key_Enter, 0x0D},     {Qt::Key_Pause, 0x13},         {Qt::Key_CapsLock, 0x14}, {Qt::Key_Escape, 0x1B},
      {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21},        {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
      {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},          {Qt::Key_Up, 0x26},       {Qt::Key_Right, 0x27},
      {Qt::Key_Down, 0x28},      {Qt::Key_Print, 0x2C},         {Qt::Key_Insert, 0x2D},   {Qt::Key_Delete, 0x2E},
      {Qt::Key_NumLock, 0x90},   {Qt::Key_ScrollLock, 0x91},
  };
  for (const auto& k : kKeys)
    if (k.qtKey == key) return k.virtualKey;
  return 0;
}

}  // namespace

uint32_t VirtualKeyOf(const QKeyEvent& event) {
  if (event.modifiers() & Qt::KeypadModifier)
    if (uint32_t code = KeypadKey(event.key())) return code;
  if (uint32_t code = MainKey(event.key())) return code;
  // Punctuation, and whatever a layout prints on those keys or on the digit row (a shifted
  // digit, an accented letter), is known by the key's place.
  const uint32_t keycode = event.nativeScanCode();
  if (uint32_t code = nv::VirtualKeyOfPunctuationKeycode(keycode)) return code;
  return nv::VirtualKeyOfDigitRowKeycode(keycode);
}

uint32_t HeldModifiersOf(const QKeyEvent& event) {
  uint32_t held = 0;
  const auto modifiers = event.modifiers();
  if (modifiers & Qt::ShiftModifier) held |= nv::mod::Shift;
  if (modifiers & Qt::AltModifier) held |= nv::mod::Alt;
  if (modifiers & Qt::ControlModifier) held |= nv::mod::Control;
  uint32_t own = 0;
  switch (VirtualKeyOf(event)) {
    case VK_SHIFT: own = nv::mod::Shift; break;
    case VK_MENU: own = nv::mod::Alt; break;
    case VK_CONTROL: own = nv::mod::Control; break;
  }
  return event.type() == QEvent::KeyRelease ? held & ~own : held | own;
}
