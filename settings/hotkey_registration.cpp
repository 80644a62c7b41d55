#include "settings/hotkey_registration.h"

#include "settings/hotkey_text.h"

namespace nv {

HotKeyStatus HotKeyStatusOf(const THotKeyInfo& record, const HotKeyOutcome& outcome) {
  if (!outcome) return {kHotKeyNotRegistered, outcome.error().reason};
  return {outcome->trigger.empty() ? HotKeyText(record) : outcome->trigger, {}};
}

void ReleaseHotKeys(HotKeys& hotKeys, const HotKeyTable& current) {
  for (const auto& record : current)
    if (record.Enabled) hotKeys.UnregisterHotKey(record.Id);
}

std::array<HotKeyStatus, 4> ActivateHotKeys(HotKeys& hotKeys, const HotKeyTable& current) {
  std::array<HotKeyStatus, 4> statuses;
  for (size_t slot = 0; slot < current.size(); ++slot) {
    const auto& record = current[slot];
    statuses[slot] = record.Enabled ? HotKeyStatusOf(record, hotKeys.RegisterHotKey(record.Id, record.Modifiers, record.Key))
                                    : HotKeyStatus{kHotKeyNotRegistered, "The hot key is turned off"};
  }
  return statuses;
}

std::optional<std::pair<size_t, HotKeyStatus>> LateHotKeyStatus(const HotKeyTable& current, int id,
                                                                const HotKeyOutcome& outcome) {
  for (size_t slot = 0; slot < current.size(); ++slot)
    if (current[slot].Enabled && current[slot].Id == id) return std::pair(slot, HotKeyStatusOf(current[slot], outcome));
  return std::nullopt;
}

}  // namespace nv
