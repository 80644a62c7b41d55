#include "settings/hotkey_capture.h"

#include "platform/hotkeys.h"
#include "settings/hotkey_text.h"

namespace nv {
namespace {

constexpr uint32_t kCapturedModifiers = mod::Shift | mod::Alt | mod::Control;

bool IsModifierKey(uint32_t virtualKey) {
  constexpr uint32_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12;
  return virtualKey == VK_SHIFT || virtualKey == VK_CONTROL || virtualKey == VK_MENU;
}

}  // namespace

std::string CaptureKeyDown(THotKeyInfo& pending, size_t slot, uint32_t virtualKey, uint32_t held) {
  // A key without a code could be neither shown nor registered: the box keeps what it had.
  if ((virtualKey & 0xFFFF) == 0) return HotKeyText(pending);
  THotKeyInfo pressed;
  pressed.Id = HotKeySlotId(slot);
  pressed.Modifiers = held & kCapturedModifiers;
  pressed.Key = virtualKey & 0xFFFF;
  if (!IsModifierKey(pressed.Key) && pressed.Modifiers != 0) {
    pending.Id = pressed.Id;
    pending.Modifiers = pressed.Modifiers;
    pending.Key = pressed.Key;
  }
  return HotKeyText(pressed);
}

std::optional<std::string> CaptureKeyUp(const THotKeyInfo& pending, uint32_t virtualKey, uint32_t held) {
  if (IsModifierKey(virtualKey & 0xFFFF) || (held & kCapturedModifiers) == 0) return HotKeyText(pending);
  return std::nullopt;
}

}  // namespace nv
