#pragma once
#include <cstdint>
#include <functional>

namespace nv {

enum HotKeyModifier : uint32_t { MOD_ALT = 1, MOD_CONTROL = 2, MOD_SHIFT = 4, MOD_WIN = 8 };

// System-wide hot keys, recorded with Windows virtual-key codes and MOD_* flags.
class HotKeys {
 public:
  using Handler = std::function<void(uint32_t modifiers, uint32_t virtualKey)>;
  virtual ~HotKeys() = default;
  // false when the system refuses the combination (taken by another client or another id).
  virtual bool RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) = 0;
  virtual void UnregisterHotKey(int id) = 0;
  // Called with the modifiers and key of every delivered hot key.
  virtual void SetHandler(Handler handler) = 0;
};

}  // namespace nv
