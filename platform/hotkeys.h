#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/result.h"

namespace nv {

// The modifier flags of a hot key record, valued as Windows keeps them; scoped so that the
// Windows headers' MOD_* macros cannot collide with them.
namespace mod {
enum Modifier : uint32_t { Alt = 1, Control = 2, Shift = 4, Win = 8 };
}  // namespace mod

// A combination the system holds for an id.
struct HotKeyBinding {
  // How the system words the combination it holds, where it says: a desktop portal may keep a
  // trigger of its own ("ALT+SHIFT+a") instead of the one asked for. Empty: the one asked for.
  std::string trigger;
};

// Held, or why not: taken by another program, refused, no system to ask, or an answer that has
// not come yet (then the outcome handler reports it when it comes).
using HotKeyOutcome = Result<HotKeyBinding>;

// The reason of a registration whose answer comes later, through the outcome handler.
inline constexpr char kHotKeyAnswerAwaited[] = "Waiting for the desktop to answer";

// System-wide hot keys, recorded with Windows virtual-key codes and MOD_* flags.
class HotKeys {
 public:
  using Handler = std::function<void(uint32_t modifiers, uint32_t virtualKey)>;
  using Outcome = std::function<void(int id, const HotKeyOutcome& outcome)>;
  virtual ~HotKeys() = default;
  virtual HotKeyOutcome RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) = 0;
  virtual void UnregisterHotKey(int id) = 0;
  // Called with the modifiers and key of every delivered hot key.
  virtual void SetHandler(Handler handler) = 0;
  // Called with the id of a registration and what the system now does with it, by systems
  // whose state changes after RegisterHotKey returned (a desktop portal may ask the user first,
  // answer late, restart, or change a trigger at the user's request).
  virtual void SetOutcomeHandler(Outcome) {}
};

}  // namespace nv
