#include "settings/set_info.h"

#include <algorithm>

namespace nv {
namespace {

void PutInt(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetInt(const uint8_t* at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t(at[i]) << (8 * i);
  return value;
}

// Field offsets of the stored record.
enum : size_t {
  kEmptyClipboard = 0,
  kAutoTime = 4,
  kStopAuto = 8,
  kStopAutoPercent = 12,
  kAfterMemTrim = 16,
  kAutoProcessList = 17,
  kProcessListTime = 20,
  kAutoOnStart = 24,
  kCloseMinimize = 25,
  kMinimizeStart = 26,
  kHotKeys = 28,
};

}  // namespace

HotKeyTable TSetInfo::DefaultHotKeys() {
  constexpr uint32_t altShift = 5;
  return {{{true, HotKeySlotId(0), altShift, 'A'},
           {true, HotKeySlotId(1), altShift, 'T'},
           {true, HotKeySlotId(2), altShift, 'M'},
           {true, HotKeySlotId(3), altShift, 'E'}}};
}

HotKeyInfoBytes SerializeHotKeyInfo(const THotKeyInfo& info) {
  HotKeyInfoBytes bytes{};
  bytes[0] = info.Enabled ? 1 : 0;
  PutInt(&bytes[4], static_cast<uint32_t>(info.Id));
  PutInt(&bytes[8], info.Modifiers);
  PutInt(&bytes[12], info.Key);
  return bytes;
}

THotKeyInfo DeserializeHotKeyInfo(const uint8_t* bytes) {
  THotKeyInfo info;
  info.Enabled = bytes[0] != 0;
  info.Id = static_cast<int32_t>(GetInt(bytes + 4));
  info.Modifiers = GetInt(bytes + 8);
  info.Key = GetInt(bytes + 12);
  return info;
}

SetInfoBytes SerializeSetInfo(const TSetInfo& info) {
  SetInfoBytes bytes{};
  bytes[kEmptyClipboard] = info.EmptyClipboard ? 1 : 0;
  PutInt(&bytes[kAutoTime], static_cast<uint32_t>(info.AutoTime));
  bytes[kStopAuto] = info.StopAuto ? 1 : 0;
  PutInt(&bytes[kStopAutoPercent], static_cast<uint32_t>(info.StopAutoPercent));
  bytes[kAfterMemTrim] = info.AfterMemTrim ? 1 : 0;
  bytes[kAutoProcessList] = info.AutoProcessList ? 1 : 0;
  PutInt(&bytes[kProcessListTime], static_cast<uint32_t>(info.ProcessListTime));
  bytes[kAutoOnStart] = info.AutoOnStart ? 1 : 0;
  bytes[kCloseMinimize] = info.CloseMinimize ? 1 : 0;
  bytes[kMinimizeStart] = info.MinimizeStart ? 1 : 0;
  for (size_t slot = 0; slot < info.HotKeys.size(); ++slot) {
    const auto hotKey = SerializeHotKeyInfo(info.HotKeys[slot]);
    std::copy(hotKey.begin(), hotKey.end(), bytes.begin() + kHotKeys + slot * kHotKeyInfoSize);
  }
  return bytes;
}

TSetInfo DeserializeSetInfo(const SetInfoBytes& bytes) {
  TSetInfo info;
  info.EmptyClipboard = bytes[kEmptyClipboard] != 0;
  info.AutoTime = static_cast<int32_t>(GetInt(&bytes[kAutoTime]));
  info.StopAuto = bytes[kStopAuto] != 0;
  info.StopAutoPercent = static_cast<int32_t>(GetInt(&bytes[kStopAutoPercent]));
  info.AfterMemTrim = bytes[kAfterMemTrim] != 0;
  info.AutoProcessList = bytes[kAutoProcessList] != 0;
  info.ProcessListTime = static_cast<int32_t>(GetInt(&bytes[kProcessListTime]));
  info.AutoOnStart = bytes[kAutoOnStart] != 0;
  info.CloseMinimize = bytes[kCloseMinimize] != 0;
  info.MinimizeStart = bytes[kMinimizeStart] != 0;
  for (size_t slot = 0; slot < info.HotKeys.size(); ++slot)
    info.HotKeys[slot] = DeserializeHotKeyInfo(&bytes[kHotKeys + slot * kHotKeyInfoSize]);
  return info;
}

TSetInfo SetInfoFromStoredBytes(const std::vector<uint8_t>& stored) {
  auto bytes = SerializeSetInfo(TSetInfo{});
  std::copy_n(stored.begin(), std::min(stored.size(), bytes.size()), bytes.begin());
  return DeserializeSetInfo(bytes);
}

}  // namespace nv
