#pragma once
#include <array>
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

}  // namespace nv
