#include "settings/hotkey_text.h"

#include "platform/hotkeys.h"

namespace nv {

std::string HotKeyText(const THotKeyInfo& info) {
  static constexpr struct {
    uint32_t flag;
    const char* name;
  } kNames[] = {{mod::Control, "CTRL"}, {mod::Alt, "ALT"}, {mod::Shift, "SHIFT"}, {mod::Win, "WIN"}};
  std::string text;
  for (const auto& modifier : kNames) {
    if (!(info.Modifiers & modifier.flag)) continue;
    if (!text.empty()) text += '+';
    text += modifier.name;
  }
  text += "+'";
  text += static_cast<char>(info.Key & 0x7F);
  text += '\'';
  return text;
}

}  // namespace nv
