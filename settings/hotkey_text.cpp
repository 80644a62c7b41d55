#include "settings/hotkey_text.h"

#include "platform/hotkeys.h"

namespace nv {

std::string HotKeyText(const THotKeyInfo& info) {
  static constexpr struct {
    uint32_t flag;
    const char* name;
  } kNames[] = {{MOD_CONTROL, "CTRL"}, {MOD_ALT, "ALT"}, {MOD_SHIFT, "SHIFT"}, {MOD_WIN, "WIN"}};
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
