#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace nv {

// One hot key as the settings record stores it (16 bytes on disk).
struct THotKeyInfo {
  bool Enabled = false;
  int32_t Id = 0;
  uint32_t Modifiers = 0;  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8
  uint32_t Key = 0;        // Windows virtual-key code
  bool operator==(const THotKeyInfo&) const = default;
};

using HotKeyTable = std::array<THotKeyInfo, 4>;

// The identifier each slot registers its hot key under: 1331 for slot 0 to 1334 for slot 3.
constexpr int32_t HotKeySlotId(size_t slot) { return 1331 + static_cast<int32_t>(slot); }

}  // namespace nv
