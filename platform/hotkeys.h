#pragma once
#include <cstdint>
#include <functional>

namespace nv {

// The modifier flags of a hot key record, valued as Windows keeps them; scoped so that the
// Windows headers' MOD_* macros cannot collide with them.
namespace mod {
enum Modifier : uint32_t { Alt = 1, Control = 2, Shift = 4, Win = 8 };
}  // namespace mod

// System-wide hot keys, recorded with Windows virtual-key codes and MOD_* flags.
class HotKeys {
 public:
  using Handler = std::function<void(uint32_t modifiers, uint32_t virtualKey)>;
  using Outcome = std::function<void(int id, bool registered)>;
  virtual ~HotKeys() = default;
  // false when the system refuses the combination (taken by another client or another id), or
  // has not answered yet: a system that answers later reports through the outcome handler.
  virtual bool RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) = 0;
  virtual void UnregisterHotKey(int id) = 0;
  // Called with the modifiers and key of every delivered hot key.
  virtual void SetHandler(Handler handler) = 0;
  // Called with the id of a registration and whether the system now holds its combination,
  // by systems that answer after RegisterHotKey returned (a desktop portal may ask the user).
  virtual void SetOutcomeHandler(Outcome) {}
};

}  // namespace nv
