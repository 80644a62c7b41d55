#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "platform/hotkeys.h"
#include "settings/hotkey_info.h"

namespace nv {

inline constexpr char kHotKeyNotRegistered[] = "not register";

// What a slot's status label shows: the combination the system holds, or "not register" and
// why (the label's tip).
struct HotKeyStatus {
  std::string text;
  std::string reason;  // empty while the combination is held
  bool operator==(const HotKeyStatus&) const = default;
};

// The status of `record` after the system answered `outcome`: the system's wording of the
// combination where it gave one, else the record's own.
HotKeyStatus HotKeyStatusOf(const THotKeyInfo& record, const HotKeyOutcome& outcome);

// Unregisters every enabled record by its id; a record whose registration had failed is
// unregistered too, which the system ignores.
void ReleaseHotKeys(HotKeys& hotKeys, const HotKeyTable& current);

// Registers every enabled record in slot order and returns each slot's status.
std::array<HotKeyStatus, 4> ActivateHotKeys(HotKeys& hotKeys, const HotKeyTable& current);

// The status that a registration answered late gives its slot: the enabled slot of that id;
// nothing when no enabled slot has it.
std::optional<std::pair<size_t, HotKeyStatus>> LateHotKeyStatus(const HotKeyTable& current, int id,
                                                                const HotKeyOutcome& outcome);

}  // namespace nv
