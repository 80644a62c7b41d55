#include "shell/settings_page.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include "engine/timer_interval.h"
#include "platform/log.h"
#include "settings/hotkey_capture.h"
#include "settings/hotkey_dispatch.h"
#include "settings/hotkey_text.h"
#include "settings/settings_store.h"
#include "shell/TForm_Tarnel.h"
#include "shell/VirtualKeys.h"
#include "shell/widgets/THotKeyEdit.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TSpinEdit.h"

namespace {

// The settings, and what the page shows, until the first load; the hot keys are not set.
const nv::TSetInfo kBeforeFirstLoad{.EmptyClipboard = false,
                                    .AutoTime = 3,
                                    .StopAuto = false,
                                    .StopAutoPercent = 50,
                                    .AfterMemTrim = false,
                                    .AutoProcessList = true,
                                    .ProcessListTime = 1,
                                    .AutoOnStart = false,
                                    .CloseMinimize = false,
                                    .MinimizeStart = false,
                                    .HotKeys = {}};

// A control of the page and the option it shows.
template <class Control, class Value>
struct Field {
  Control* TForm_Tarnel::*control;
  Value nv::TSetInfo::*option;
};

nv::SettingsStore StoreOf(nv::Registry& registry) {
  return nv::SettingsStore(registry, QCoreApplication::applicationFilePath().toStdString());
}

}  // namespace

namespace nv {

// The page's check boxes and number fields, each with the option it shows.
struct SettingsPage::Fields {
  static constexpr Field<QCheckBox, bool> kBoxes[] = {
      {&TForm_Tarnel::CheckBox_EmptyClipboard, &nv::TSetInfo::EmptyClipboard},
      {&TForm_Tarnel::CheckBox_bstopauto, &nv::TSetInfo::StopAuto},
      {&TForm_Tarnel::CheckBox_AfterMemTrim, &nv::TSetInfo::AfterMemTrim},
      {&TForm_Tarnel::CheckBox_AutoProcessList, &nv::TSetInfo::AutoProcessList},
      {&TForm_Tarnel::CheckBox_Auto, &nv::TSetInfo::AutoOnStart},
      {&TForm_Tarnel::CheckBox_CloseMinimize, &nv::TSetInfo::CloseMinimize},
      {&TForm_Tarnel::CheckBox_MinimizeStart, &nv::TSetInfo::MinimizeStart},
  };
  // In the order of the record, so that a save names the first field without a whole number.
  static constexpr Field<TSpinEdit, int32_t> kNumbers[] = {
      {&TForm_Tarnel::SpinEdit_Time, &nv::TSetInfo::AutoTime},
      {&TForm_Tarnel::SpinEdit_bstopauto, &nv::TSetInfo::StopAutoPercent},
      {&TForm_Tarnel::SpinEdit_ProcessListTime, &nv::TSetInfo::ProcessListTime},
  };
};

SettingsPage::SettingsPage(TForm_Tarnel& window) : w_(window), current_(kBeforeFirstLoad), autoStart_(true) {
  hotKeyStatuses_.fill(HotKeyStatus{kHotKeyNotRegistered, {}});
  w_.svc.hotKeys.SetHandler([&window](uint32_t modifiers, uint32_t key) { window.WMHotKey(modifiers, key); });
  w_.svc.hotKeys.SetOutcomeHandler([this](int id, const HotKeyOutcome& outcome) {
    if (const auto status = LateHotKeyStatus(current_.HotKeys, id, outcome)) ShowHotKeyStatus(status->first, status->second);
  });
}

// The page builder sets every control of the page; the save button is the last.
bool SettingsPage::PageBuilt() const { return w_.SpeedButton_SaveSet != nullptr; }

void SettingsPage::AttachPage() {
  TForm_Tarnel& w = w_;
  QObject::connect(w.SpeedButton_SaveSet, &TImageEx::OnClick, &w, [&w] { w.SpeedButton_SaveSetClick(); });
  QObject::connect(w.SpeedButton_Defaykt, &TImageEx::OnClick, &w, [&w] { w.SpeedButton_DefayktClick(); });
  QObject::connect(w.SpeedButton_SetVM, &TImageEx::OnClick, &w, [&w] { w.SpeedButton_SetVMClick(); });
  QObject::connect(w.Button_EmptyClipboard, &TImageEx::OnClick, &w, [&w] { w.Button_EmptyClipboardClick(); });
  QObject::connect(w.CheckBox_AutoProcessList, &QCheckBox::toggled, &w, [&w] { w.CheckBox_AutoProcessListClick(); });
  QObject::connect(w.CheckBox_bstopauto, &QCheckBox::toggled, &w, [&w] { w.CheckBox_bstopautoClick(); });
  for (TImageEx* button : {w.Button_EmptyClipboard, w.SpeedButton_SetVM, w.SpeedButton_Defaykt, w.SpeedButton_SaveSet})
    w.connectActionButtonHover(button);
  for (int slot = 0; slot < int(w.HotKeyEdits.size()); ++slot) {
    // The box shows the combination pressed; typing must not add characters to it.
    w.HotKeyEdits[slot]->setReadOnly(true);
    QObject::connect(w.HotKeyEdits[slot], &THotKeyEdit::OnKeyDown, &w, [&w, slot](QKeyEvent* e) { w.HotKeyEditKeyDown(slot, e); });
    QObject::connect(w.HotKeyEdits[slot], &THotKeyEdit::OnKeyUp, &w, [&w, slot](QKeyEvent* e) { w.HotKeyEditKeyUp(slot, e); });
    QObject::connect(w.HotKeyCheckBoxes[slot], &QCheckBox::toggled, &w, [&w, slot] { w.HotKeyCheckBoxClick(slot); });
  }
  TakeEditsIntoRecord();
  ShowOnPage();
}

void SettingsPage::TakeEditsIntoRecord() {
  for (const auto& field : Fields::kBoxes)
    QObject::connect(w_.*field.control, &QCheckBox::toggled, &w_, [this, option = field.option](bool on) { current_.*option = on; });
  for (const auto& field : Fields::kNumbers) {
    TSpinEdit* edit = w_.*field.control;
    QObject::connect(edit, &TSpinEdit::textChanged, &w_, [this, edit, option = field.option] {
      if (const auto value = edit->WholeValue()) current_.*option = *value;
    });
  }
}

void SettingsPage::ShowOnPage() {
  if (!PageBuilt()) return;
  for (const auto& field : Fields::kBoxes) (w_.*field.control)->setChecked(current_.*field.option);
  for (const auto& field : Fields::kNumbers) (w_.*field.control)->setValue(current_.*field.option);
  EnableNumberFields();
  for (size_t slot = 0; slot < current_.HotKeys.size(); ++slot) {
    w_.HotKeyCheckBoxes[slot]->setChecked(current_.HotKeys[slot].Enabled);
    EnableHotKeyEdit(int(slot));
    w_.HotKeyEdits[slot]->setText(QString::fromStdString(HotKeyText(current_.HotKeys[slot])));
    ShowHotKeyStatusOnPage(slot);
  }
  w_.CheckBox_AutoStart->setChecked(autoStart_);
}

void SettingsPage::EnableNumberFields() {
  if (!PageBuilt()) return;
  w_.SpinEdit_bstopauto->setEnabled(w_.CheckBox_bstopauto->isChecked());
  w_.SpinEdit_ProcessListTime->setEnabled(w_.CheckBox_AutoProcessList->isChecked());
}

// ---- load, save, apply ----

void SettingsPage::Load(bool useDefaults) {
  // Read before anything else: a rejected value leaves the settings, the page and the hot
  // keys as they were.
  const StoredSettings stored = StoreOf(w_.svc.registry).Load(useDefaults);
  ReleaseHotKeys();
  current_ = stored.record;
  autoStart_ = stored.autoStart;
  pendingHotKeys_ = current_.HotKeys;
  ActivateHotKeys();
  ShowOnPage();
}

TSetInfo SettingsPage::ReadPage() const {
  TSetInfo record = current_;
  record.HotKeys = pendingHotKeys_;
  if (!PageBuilt()) return record;
  for (const auto& field : Fields::kNumbers) record.*field.option = (w_.*field.control)->Value();
  for (const auto& field : Fields::kBoxes) record.*field.option = (w_.*field.control)->isChecked();
  for (size_t slot = 0; slot < record.HotKeys.size(); ++slot) record.HotKeys[slot].Enabled = w_.HotKeyCheckBoxes[slot]->isChecked();
  return record;
}

bool SettingsPage::Save() {
  // The fields are read first: a text that is no whole number stops the save before any write.
  const TSetInfo record = ReadPage();
  const bool autoStart = PageBuilt() ? w_.CheckBox_AutoStart->isChecked() : autoStart_;
  SettingsStore store = StoreOf(w_.svc.registry);
  if (!store.SaveRecord(record)) {
    w_.svc.dialogs.ShowMessage(kSettingsNotSavedMessage);
    return false;
  }
  ReleaseHotKeys();
  current_ = record;
  pendingHotKeys_ = record.HotKeys;
  ActivateHotKeys();
  store.SaveAutostart(autoStart);
  autoStart_ = autoStart;
  return true;
}

void SettingsPage::Apply() {
  w_.Timer_Auto->setInterval(TimerIntervalMs(current_.AutoTime));
  w_.Timer_GetProcessInfo->setInterval(TimerIntervalMs(current_.ProcessListTime));
  if (!current_.AutoProcessList)
    w_.Timer_GetProcessInfo->stop();
  else if (!w_.Timer_GetProcessInfo->isActive())
    w_.Timer_GetProcessInfo->start();
}

void SettingsPage::ConfirmAndSave() {
  if (!w_.svc.dialogs.AskYesNo("Are you sure to save the settings?")) return;
  if (Save()) Apply();
}

void SettingsPage::ConfirmAndRestoreDefaults() {
  if (w_.svc.dialogs.AskYesNo("Are you sure to restore to the default settings?")) Load(true);
}

// ---- hot keys ----

void SettingsPage::ForgetRegistrations() {
  for (THotKeyInfo& hotKey : current_.HotKeys) hotKey.Enabled = false;
}

void SettingsPage::ReleaseHotKeys() { nv::ReleaseHotKeys(w_.svc.hotKeys, current_.HotKeys); }

void SettingsPage::ActivateHotKeys() {
  const auto statuses = nv::ActivateHotKeys(w_.svc.hotKeys, current_.HotKeys);
  for (size_t slot = 0; slot < statuses.size(); ++slot) ShowHotKeyStatus(slot, statuses[slot]);
}

void SettingsPage::ShowHotKeyStatus(size_t slot, const HotKeyStatus& status) {
  hotKeyStatuses_[slot] = status;
  ShowHotKeyStatusOnPage(slot);
  if (status.reason.empty() || !current_.HotKeys[slot].Enabled || status.reason == hotKeyReasonLogged_ ||
      status.reason == kHotKeyAnswerAwaited)
    return;
  hotKeyReasonLogged_ = status.reason;
  Log(LogLevel::Warning, "Hot keys not registered: " + status.reason);
}

void SettingsPage::ShowHotKeyStatusOnPage(size_t slot) {
  if (!PageBuilt()) return;
  w_.HotKeyLabels[slot]->setText(QString::fromStdString(hotKeyStatuses_[slot].text));
  w_.HotKeyLabels[slot]->setToolTip(QString::fromStdString(hotKeyStatuses_[slot].reason));
}

void SettingsPage::CaptureKeyDown(int slot, QKeyEvent* event) {
  const auto text = nv::CaptureKeyDown(pendingHotKeys_[slot], slot, VirtualKeyOf(*event), HeldModifiersOf(*event));
  w_.HotKeyEdits[slot]->setText(QString::fromStdString(text));
}

void SettingsPage::CaptureKeyUp(int slot, QKeyEvent* event) {
  if (auto text = nv::CaptureKeyUp(pendingHotKeys_[slot], VirtualKeyOf(*event), HeldModifiersOf(*event)))
    w_.HotKeyEdits[slot]->setText(QString::fromStdString(*text));
}

void SettingsPage::EnableHotKeyEdit(int slot) { w_.HotKeyEdits[slot]->setEnabled(w_.HotKeyCheckBoxes[slot]->isChecked()); }

void SettingsPage::DispatchHotKey(uint32_t modifiers, uint32_t key) {
  for (size_t slot : SlotsForHotKey(current_.HotKeys, modifiers, key)) {
    switch (slot) {
      case 0:
        w_.SpeedButton_RunAutoClick();
        break;
      case 1:
        w_.SpeedButton_StartFullClick();
        break;
      case 2:
        if (w_.IsMinimized) {
          w_.setWindowState(w_.windowState() & ~Qt::WindowMinimized);
          w_.IsMinimized = false;
        }
        w_.OpenMainWindow1Click();
        break;
      case 3:
        // Ends the program, whatever "Minimize to tray when close window " says. The quit
        // is posted as well: one requested while the first showing still holds a message box,
        // before the program's event loop runs, would otherwise be lost.
        w_.close();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        break;
    }
  }
}

}  // namespace nv
