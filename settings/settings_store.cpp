#include "settings/settings_store.h"

#include <algorithm>
#include <cctype>

#include "platform/log.h"
#include "platform/registry_values.h"

namespace nv {
namespace {

// Blanks and control characters dropped at both ends, ASCII letters upper-cased.
std::string Normalized(const std::string& text) {
  auto isBlank = [](unsigned char c) { return c <= ' '; };
  auto begin = std::find_if_not(text.begin(), text.end(), isBlank);
  auto end = std::find_if_not(text.rbegin(), std::make_reverse_iterator(begin), isBlank).base();
  std::string out(begin, end);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool IsAcceptedRecordValue(const RegValue& value) {
  const bool textOrNumber = IsStringValue(value) || value.type == reg::Dword;
  return !textOrNumber && value.data.size() <= kSetInfoSize;
}

}  // namespace

SettingsStore::SettingsStore(Registry& registry, std::string executablePath)
    : registry_(registry), executablePath_(std::move(executablePath)) {}

StoredSettings SettingsStore::Load(bool useDefaults) {
  StoredSettings stored;
  {
    auto key = registry_.Open(RootKey::HKeyLocalMachine, kSettingsKey, true);
    if (!key) LogFailure(LogLevel::Warning, "The default settings apply", key.error());
    useDefaults = useDefaults || !key;
    if (!useDefaults) {
      if (auto value = (*key)->Read(kSettingsValue)) {
        if (!IsAcceptedRecordValue(*value)) throw InvalidDataType(kSettingsValue);
        stored.record = SetInfoFromStoredBytes(value->data);
      }
    }
  }
  if (useDefaults) {
    stored.autoStart = true;
    return stored;
  }
  // Opened without making it: a missing Run key holds no entry, and making an empty one would
  // cost a first start a durable write of the hive for nothing.
  if (auto run = registry_.Open(RootKey::HKeyLocalMachine, kRunKeyPath, false)) {
    const auto entry = (*run)->Read(kAutostartValueName);
    stored.autoStart = entry && NamesThisExecutable(*entry);
  }
  return stored;
}

bool SettingsStore::SaveRecord(const TSetInfo& record) {
  auto key = registry_.Open(RootKey::HKeyLocalMachine, kSettingsKey, true);
  if (!key) {
    LogFailure(LogLevel::Error, "The settings were not saved", key.error());
    return false;
  }
  const auto bytes = SerializeSetInfo(record);
  WriteValue(**key, kSettingsValue, RegValue::Binary({bytes.begin(), bytes.end()}));
  return true;
}

void SettingsStore::SaveAutostart(bool enabled) {
  // Made only for an entry to go in: a first start with autostart off writes no empty key.
  auto run = registry_.Open(RootKey::HKeyLocalMachine, kRunKeyPath, enabled);
  if (enabled) {
    if (!run) {
      LogFailure(LogLevel::Error, "Cannot open the Run key", run.error());
      throw FailedToSetData(kAutostartValueName);
    }
    WriteValue(**run, kAutostartValueName, RegValue::String(executablePath_));
    return;
  }
  // A Run key that is missing or cannot be opened holds no entry that could start the program.
  if (!run) return;
  if (const auto deleted = (*run)->Delete(kAutostartValueName); !deleted) {
    LogFailure(LogLevel::Error, "Cannot delete the Run value", deleted.error());
    throw FailedToSetData(kAutostartValueName);
  }
}

bool SettingsStore::NamesThisExecutable(const RegValue& value) const {
  return value.type == reg::Sz && Normalized(value.AsString()) == Normalized(executablePath_);
}

}  // namespace nv
