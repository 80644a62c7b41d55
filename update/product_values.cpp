#include "update/product_values.h"

#include <cstdlib>
#include <optional>

#include "platform/error.h"

namespace nv {

namespace {

constexpr char kProductPath[] = "/products/system-utility/velqor-norvane/";

std::optional<std::string> ReadString(RegistryKey& key, const std::string& name) {
  const auto value = key.Read(name);
  if (!value) return std::nullopt;
  if (value->type != REG_SZ && value->type != REG_EXPAND_SZ)
    throw Error(FormatMessage("Invalid data type for '%s'", name));
  return value->AsString();
}

void WriteValue(RegistryKey& key, const std::string& name, const RegValue& value) {
  if (!key.Write(name, value)) throw Error(FormatMessage("Failed to set data for '%s'", name));
}

void KeepOrWriteString(RegistryKey& key, const std::string& name, const std::string& defaultText) {
  if (!ReadString(key, name)) WriteValue(key, name, RegValue::String(defaultText));
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
  const auto key = registry.Open(RootKey::HKEY_CURRENT_USER, kProductKey, true);
  if (!key) return false;
  KeepOrWriteString(*key, "HelpURL", HelpPageAddress());
  KeepOrWriteString(*key, "HomePage", HomePageAddress());
  const auto check = key->Read("CheckUpdate");
  if (!check) {
    WriteValue(*key, "CheckUpdate", RegValue::Dword(1));
    return true;
  }
  if (check->type != REG_DWORD) throw Error(FormatMessage("Invalid data type for '%s'", "CheckUpdate"));
  return check->AsDword() != 0;
}

std::string InstalledVersion(Registry& registry) {
  const auto key = registry.Open(RootKey::HKEY_CURRENT_USER, kProductKey, true);
  if (!key) return {};
  return ReadString(*key, "Version").value_or(std::string());
}

}  // namespace nv
