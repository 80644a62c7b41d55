#include "update/product_values.h"

#include <cstdlib>
#include <optional>

#include "platform/log.h"
#include "platform/registry_values.h"

namespace nv {

namespace {

constexpr char kProductPath[] = "/products/system-utility/velqor-norvane/";

void KeepOrWriteString(RegistryKey& key, const std::string& name, const std::string& defaultText) {
  if (!ReadStringValue(key, name)) WriteValue(key, name, RegValue::String(defaultText));
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

bool LoadProductValues(Registry& registry) {
  const auto opened = registry.Open(RootKey::HKeyCurrentUser, kProductKey, true);
  if (!opened) {
    LogFailure(LogLevel::Warning, "The update check is off", opened.error());
    return false;
  }
  RegistryKey& key = **opened;
  KeepOrWriteString(key, "HelpURL", HelpPageAddress());
  KeepOrWriteString(key, "HomePage", HomePageAddress());
  const auto check = ReadDwordValue(key, "CheckUpdate");
  if (!check) {
    WriteValue(key, "CheckUpdate", RegValue::Dword(1));
    return true;
  }
  return *check != 0;
}

void RecordInstalledVersion(Registry& registry, const std::string& buildVersion) {
  const auto opened = registry.Open(RootKey::HKeyCurrentUser, kProductKey, true);
  if (!opened) {
    LogFailure(LogLevel::Warning, "The installed version was not recorded", opened.error());
    return;
  }
  const auto stored = (*opened)->Read("Version");
  if (stored && IsStringValue(*stored) && stored->AsString() == buildVersion) return;
  WriteValue(**opened, "Version", RegValue::String(buildVersion));
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
