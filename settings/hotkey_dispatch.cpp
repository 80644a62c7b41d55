#include "settings/hotkey_dispatch.h"

namespace nv {

std::vector<size_t> SlotsForHotKey(const HotKeyTable& current, uint32_t modifiers, uint32_t virtualKey) {
  // The delivered message carries both values as 16-bit words.
  const uint32_t deliveredModifiers = modifiers & 0xFFFF;
  const uint32_t deliveredKey = virtualKey & 0xFFFF;
  std::vector<size_t> slots;
  for (size_t slot = 0; slot < current.size(); ++slot)
    if (current[slot].Key == deliveredKey && current[slot].Modifiers == deliveredModifiers) slots.push_back(slot);
  return slots;
}

}  // namespace nv
