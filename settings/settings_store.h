#pragma once
#include <string>

#include "platform/product.h"
#include "platform/registry.h"
#include "settings/set_info.h"

namespace nv {

// Shown when the settings key can be neither opened nor created, so that a save is never
// silently lost.
inline constexpr char kSettingsNotSavedMessage[] =
    "The settings cannot be saved: the registry key HKEY_LOCAL_MACHINE\\Software\\Norvane can "
    "neither be opened nor created, because neither the machine hive nor your per-user virtual "
    "store can be written. The program uses the settings shown until it ends.";

struct StoredSettings {
  TSetInfo record;
  bool autoStart = false;  // the state of "Startup with system start"
};

// The settings value "NvSetInfo" and the autostart value (platform/product.h), both under
// HKEY_LOCAL_MACHINE. Each key is opened (created when missing) and closed within one call.
class SettingsStore {
 public:
  static constexpr char kSettingsKey[] = "Software\\Norvane";
  static constexpr char kSettingsValue[] = "NvSetInfo";

  SettingsStore(Registry& registry, std::string executablePath);

  // The stored settings, or the defaults (with autostart wanted) when `useDefaults` is set or
  // the settings key cannot be opened. Autostart is wanted when the Run value is a plain
  // string naming this executable, compared without regard to letter case and surrounding
  // blanks. Throws nv::Error "Invalid data type for 'NvSetInfo'" for a value of a string or
  // DWORD type or longer than the record.
  StoredSettings Load(bool useDefaults);

  // Writes the whole record. false when the settings key cannot be opened or created: nothing
  // was written. Throws nv::Error "Failed to set data for 'NvSetInfo'" when the write fails.
  bool SaveRecord(const TSetInfo& record);

  // Writes the exact executable path into the Run value, or removes the value. Throws
  // nv::Error "Failed to set data for 'Velqor Norvane'" when either is refused.
  void SaveAutostart(bool enabled);

 private:
  bool NamesThisExecutable(const RegValue& value) const;

  Registry& registry_;
  std::string executablePath_;
};

}  // namespace nv
