#include "settings/idle_age_setting.h"

#include <string>

#include "platform/log.h"
#include "settings/settings_store.h"

namespace nv {

std::optional<std::chrono::seconds> StoredIdleAge(Registry& registry) {
  const auto key = registry.Open(RootKey::HKeyLocalMachine, SettingsStore::kSettingsKey, false);
  if (!key) return std::nullopt;
  const auto value = (*key)->Read(kIdleAgeValue);
  if (!value) return std::nullopt;
  const std::string unusable = std::string("The idle age '") + kIdleAgeValue + "' is ignored";
  if (value->type != reg::Dword) {
    LogFailure(LogLevel::Warning, unusable, Failure{"it is no REG_DWORD"});
    return std::nullopt;
  }
  const uint32_t seconds = value->AsDword();
  if (seconds == 0 || seconds > kLongestIdleAgeSeconds) {
    LogFailure(LogLevel::Warning, unusable,
               Failure{std::to_string(seconds) + " is not from 1 to " + std::to_string(kLongestIdleAgeSeconds) + " seconds"});
    return std::nullopt;
  }
  return std::chrono::seconds(seconds);
}

}  // namespace nv
