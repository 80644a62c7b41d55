#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/hotkey_info.h"
#include "settings/hotkey_registration.h"
#include "settings/set_info.h"

class QKeyEvent;
class TForm_Tarnel;
class TForm_TarnelProbe;

namespace nv {

// The settings in effect, the settings page that shows and edits them, and the four global hot
// keys. The record held here is the program's settings: every other part of the window reads
// its options from Current(), never from a control. An option edited on the page is taken into
// the record at once, so it acts at its next use; a number field whose text spells no whole
// number leaves the last whole number in effect. The hot keys change when the settings are
// saved or restored to their defaults, the autostart entry only when they are saved. The
// page's controls need not be built: the record holds the settings all the same, and
// AttachPage wires the page and shows them on it once it is.
class SettingsPage {
 public:
  explicit SettingsPage(TForm_Tarnel& window);

  const TSetInfo& Current() const { return current_; }

  // Wires the page's controls and shows the settings on them, when the page is made (the first
  // time it is selected).
  void AttachPage();
  // Puts the settings, the autostart state and the hot keys' statuses into the page's controls.
  void ShowOnPage();

  // The stored settings, or the defaults, become the settings in effect, and their hot keys are
  // registered. A stored value that is rejected throws before anything changes.
  void Load(bool useDefaults);
  // The page's fields become the settings in effect, stored with their hot keys and the
  // autostart entry. false when the settings key cannot be opened: the user has been told and
  // nothing changed. Throws before any write for a field that spells no whole number.
  bool Save();
  // Sets the auto-optimization and refresh timers from the settings in effect.
  void Apply();
  void ConfirmAndSave();
  void ConfirmAndRestoreDefaults();
  // Each number field of the page is enabled while its check box is checked.
  void EnableNumberFields();

  // ---- hot keys ----
  // The hot keys are not registered yet: the first load releases nothing.
  void ForgetRegistrations();
  void ReleaseHotKeys();
  void ActivateHotKeys();
  void CaptureKeyDown(int slot, QKeyEvent* event);
  void CaptureKeyUp(int slot, QKeyEvent* event);
  void EnableHotKeyEdit(int slot);
  // Runs the action of every slot whose current combination this is.
  void DispatchHotKey(uint32_t modifiers, uint32_t key);

 private:
  friend class ::TForm_TarnelProbe;
  struct Fields;

  bool PageBuilt() const;
  // The record the page's fields spell, with the pending hot keys enabled by their boxes.
  TSetInfo ReadPage() const;
  void TakeEditsIntoRecord();
  // The slot's label shows the status; the reason of a "not register" is its tip, and goes to
  // the log once (the four keys usually share it).
  void ShowHotKeyStatus(size_t slot, const HotKeyStatus& status);
  void ShowHotKeyStatusOnPage(size_t slot);

  TForm_Tarnel& w_;
  TSetInfo current_;  // its HotKeys are the current hot keys: registered, or meant to be
  bool autoStart_;    // "Startup with system start"
  HotKeyTable pendingHotKeys_{};  // the combinations being edited, current once saved
  std::array<HotKeyStatus, 4> hotKeyStatuses_;
  std::string hotKeyReasonLogged_;  // the last reason logged for a key left unregistered
};

}  // namespace nv
