#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "settings/hotkey_info.h"

namespace nv {

// Every user option of the program, in the order of its stored form.
struct TSetInfo {
  bool EmptyClipboard = false;
  int32_t AutoTime = 1;
  bool StopAuto = true;
  int32_t StopAutoPercent = 70;
  bool AfterMemTrim = false;
  bool AutoProcessList = true;
  int32_t ProcessListTime = 2;
  bool AutoOnStart = false;
  bool CloseMinimize = true;
  bool MinimizeStart = false;
  HotKeyTable HotKeys = DefaultHotKeys();

  static HotKeyTable DefaultHotKeys();
  bool operator==(const TSetInfo&) const = default;
};

inline constexpr size_t kHotKeyInfoSize = 16;
inline constexpr size_t kSetInfoSize = 92;

using HotKeyInfoBytes = std::array<uint8_t, kHotKeyInfoSize>;
using SetInfoBytes = std::array<uint8_t, kSetInfoSize>;

// The stored forms are little-endian with zero padding; booleans are written as 0 or 1 and
// any non-zero byte reads as true.
HotKeyInfoBytes SerializeHotKeyInfo(const THotKeyInfo& info);
THotKeyInfo DeserializeHotKeyInfo(const uint8_t* bytes);
SetInfoBytes SerializeSetInfo(const TSetInfo& info);
TSetInfo DeserializeSetInfo(const SetInfoBytes& bytes);

// The stored bytes laid over the default record: a shorter value replaces only the bytes it
// covers. The caller has checked the size (at most kSetInfoSize).
TSetInfo SetInfoFromStoredBytes(const std::vector<uint8_t>& stored);

}  // namespace nv
