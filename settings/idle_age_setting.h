#pragma once
#include <chrono>
#include <optional>

#include "platform/registry.h"

namespace nv {

// The idle age of auto-optimization and `norvane-cli trim`: a REG_DWORD of seconds beside the
// settings value, so that the settings record keeps its bytes. Kept out of the settings page:
// it is for users who tune trimming, as `norvane-cli reg add` sets it.
inline constexpr char kIdleAgeValue[] = "IdleAgeSeconds";
// The longest idle age taken: a day. Longer would never trim a desktop that is used daily.
inline constexpr uint32_t kLongestIdleAgeSeconds = 86400;

// The stored idle age; none when the value is missing, or cannot be used (another type, 0,
// longer than a day), which is logged with the reason.
std::optional<std::chrono::seconds> StoredIdleAge(Registry& registry);

}  // namespace nv
