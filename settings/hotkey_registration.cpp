#include "settings/hotkey_registration.h"

#include "settings/hotkey_text.h"

namespace nv {

void ReleaseHotKeys(HotKeys& hotKeys, const HotKeyTable& current) {
  for (const auto& record : current)
    if (record.Enabled) hotKeys.UnregisterHotKey(record.Id);
}

std::array<std::string, 4> ActivateHotKeys(HotKeys& hotKeys, const HotKeyTable& current) {
  std::array<std::string, 4> labels;
  for (size_t slot = 0; slot < current.size(); ++slot) {
    const auto& record = current[slot];
    labels[slot] = kHotKeyNotRegistered;
    if (record.Enabled && hotKeys.RegisterHotKey(record.Id, record.Modifiers, record.Key))
      labels[slot] = HotKeyText(record);
  }
  return labels;
}

std::optional<std::pair<size_t, std::string>> LateHotKeyStatus(const HotKeyTable& current, int id, bool registered) {
  for (size_t slot = 0; slot < current.size(); ++slot)
    if (current[slot].Enabled && current[slot].Id == id)
      return std::pair(slot, registered ? HotKeyText(current[slot]) : std::string(kHotKeyNotRegistered));
  return std::nullopt;
}

}  // namespace nv
