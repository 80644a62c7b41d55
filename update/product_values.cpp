#include "update/product_values.h"

#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/log.h"
#include "platform/registry_values.h"

namespace nv {

namespace {

constexpr char kProductPath[] = "/products/system-utility/velqor-norvane/";

// Adds the default to `changes` when the key holds no value `name`.
void KeepOrAddString(RegistryKey* key, const std::string& name, const std::string& defaultText,
                     std::vector<NamedValue>& changes) {
  if (!key || !ReadStringValue(*key, name)) changes.push_back({name, RegValue::String(defaultText)});
}

}  // namespace

std::string UpdateHost() {
  const char* host = std::getenv("NORVANE_UPDATE_HOST");
  return host && *host ? host : NORVANE_UPDATE_HOST;
}

std::string SupportAddress() { return NORVANE_SUPPORT_ADDRESS; }

std::string HomePageAddress() { return "http://" + UpdateHost() + kProductPath; }
std::string HelpPageAddress() { return HomePageAddress() + "help/"; }
std::string UpdateFileAddress() { return HomePageAddress() + "update/Update.ini"; }

bool LoadProductValues(Registry& registry, const std::string& buildVersion) {
  // Read without making the key: a first start makes it with its values in the one write below.
  const auto opened = registry.Open(RootKey::HKeyCurrentUser, kProductKey, false);
  RegistryKey* key = opened ? opened->get() : nullptr;
  std::vector<NamedValue> changes;
  const auto stored = key ? key->Read("Version") : std::nullopt;
  if (!stored || !IsStringValue(*stored) || stored->AsString() != buildVersion)
    changes.push_back({"Version", RegValue::String(buildVersion)});
  KeepOrAddString(key, "HelpURL", HelpPageAddress(), changes);
  KeepOrAddString(key, "HomePage", HomePageAddress(), changes);
  const auto check = key ? ReadDwordValue(*key, "CheckUpdate") : std::nullopt;
  if (!check) changes.push_back({"CheckUpdate", RegValue::Dword(1)});
  const bool checkOn = check.value_or(1) != 0;
  if (changes.empty()) return checkOn;
  const auto written = registry.WriteValues(RootKey::HKeyCurrentUser, kProductKey, changes);
  if (!written && !key) {
    LogFailure(LogLevel::Warning, "The update check is off", written.error());
    return false;
  }
  if (!written) throw FailedToSetData(changes.front().name);
  return checkOn;
}

std::string HomePage(Registry& registry) {
  const auto key = registry.Open(RootKey::HKeyCurrentUser, kProductKey, false);
  if (!key) return HomePageAddress();
  return ReadStringValue(**key, "HomePage").value_or(HomePageAddress());
}

std::string InstalledVersion(Registry& registry) {
  const auto key = registry.Open(RootKey::HKeyCurrentUser, kProductKey, true);
  if (!key) {
    LogFailure(LogLevel::Warning, "The installed version is unknown", key.error());
    return {};
  }
  return ReadStringValue(**key, "Version").value_or(std::string());
}

}  // namespace nv
