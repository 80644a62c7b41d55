#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include "engine/timer_interval.h"
#include "settings/hotkey_text.h"
#include "settings/settings_store.h"
#include "shell/TForm_Tarnel.h"
#include "shell/widgets/THotKeyEdit.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TSpinEdit.h"

namespace {

nv::SettingsStore StoreOf(TForm_Tarnel& window) {
  return nv::SettingsStore(window.svc.registry, QCoreApplication::applicationFilePath().toStdString());
}

}  // namespace

void TForm_Tarnel::setupSettings() {
  connect(SpeedButton_SaveSet, &TImageEx::OnClick, this, [this] { SpeedButton_SaveSetClick(); });
  connect(SpeedButton_Defaykt, &TImageEx::OnClick, this, [this] { SpeedButton_DefayktClick(); });
  connect(CheckBox_AutoProcessList, &QCheckBox::toggled, this, [this] { CheckBox_AutoProcessListClick(); });
}

void TForm_Tarnel::LoadSettings(bool UseDefaults) {
  // Read before anything else: a rejected value leaves the page and the hot keys as they were.
  const auto stored = StoreOf(*this).Load(UseDefaults);
  const nv::TSetInfo& record = stored.record;
  ReleaseHotKeys();

  CheckBox_EmptyClipboard->setChecked(record.EmptyClipboard);
  SpinEdit_Time->setValue(record.AutoTime);
  CheckBox_bstopauto->setChecked(record.StopAuto);
  SpinEdit_bstopauto->setValue(record.StopAutoPercent);
  CheckBox_AfterMemTrim->setChecked(record.AfterMemTrim);
  CheckBox_AutoProcessList->setChecked(record.AutoProcessList);
  SpinEdit_ProcessListTime->setValue(record.ProcessListTime);
  CheckBox_Auto->setChecked(record.AutoOnStart);
  CheckBox_CloseMinimize->setChecked(record.CloseMinimize);
  CheckBox_MinimizeStart->setChecked(record.MinimizeStart);
  SpinEdit_bstopauto->setEnabled(CheckBox_bstopauto->isChecked());
  SpinEdit_ProcessListTime->setEnabled(CheckBox_AutoProcessList->isChecked());

  CurrentHotKeys = record.HotKeys;
  PendingHotKeys = CurrentHotKeys;
  ActivateHotKeys();
  for (size_t slot = 0; slot < CurrentHotKeys.size(); ++slot) {
    HotKeyCheckBoxes[slot]->setChecked(CurrentHotKeys[slot].Enabled);
    HotKeyEdits[slot]->setEnabled(HotKeyCheckBoxes[slot]->isChecked());
    HotKeyEdits[slot]->setText(QString::fromStdString(nv::HotKeyText(CurrentHotKeys[slot])));
  }
  CheckBox_AutoStart->setChecked(stored.autoStart);
}

bool TForm_Tarnel::SaveSettings() {
  // The spin edits are read first: a text that is no number stops the save before any write.
  nv::TSetInfo record;
  record.EmptyClipboard = CheckBox_EmptyClipboard->isChecked();
  record.AutoTime = SpinEdit_Time->Value();
  record.StopAuto = CheckBox_bstopauto->isChecked();
  record.StopAutoPercent = SpinEdit_bstopauto->Value();
  record.AfterMemTrim = CheckBox_AfterMemTrim->isChecked();
  record.AutoProcessList = CheckBox_AutoProcessList->isChecked();
  record.ProcessListTime = SpinEdit_ProcessListTime->Value();
  record.AutoOnStart = CheckBox_Auto->isChecked();
  record.CloseMinimize = CheckBox_CloseMinimize->isChecked();
  record.MinimizeStart = CheckBox_MinimizeStart->isChecked();
  for (size_t slot = 0; slot < PendingHotKeys.size(); ++slot)
    PendingHotKeys[slot].Enabled = HotKeyCheckBoxes[slot]->isChecked();
  record.HotKeys = PendingHotKeys;

  auto store = StoreOf(*this);
  if (!store.SaveRecord(record)) {
    svc.dialogs.ShowMessage(nv::kSettingsNotSavedMessage);
    return false;
  }
  ReleaseHotKeys();
  CurrentHotKeys = PendingHotKeys;
  ActivateHotKeys();
  for (size_t slot = 0; slot < CurrentHotKeys.size(); ++slot)
    HotKeyCheckBoxes[slot]->setChecked(CurrentHotKeys[slot].Enabled);
  store.SaveAutostart(CheckBox_AutoStart->isChecked());
  return true;
}

void TForm_Tarnel::SpeedButton_AppSetClick() {
  const int autoSeconds = SpinEdit_Time->Value();
  const int refreshSeconds = SpinEdit_ProcessListTime->Value();
  Timer_Auto->setInterval(nv::TimerIntervalMs(autoSeconds));
  Timer_GetProcessInfo->setInterval(nv::TimerIntervalMs(refreshSeconds));
  if (!CheckBox_AutoProcessList->isChecked())
    Timer_GetProcessInfo->stop();
  else if (!Timer_GetProcessInfo->isActive())
    Timer_GetProcessInfo->start();
}

void TForm_Tarnel::SpeedButton_SaveSetClick() {
  if (!svc.dialogs.AskYesNo("Are you sure to save the settings?")) return;
  if (SaveSettings()) SpeedButton_AppSetClick();
}

void TForm_Tarnel::SpeedButton_DefayktClick() {
  if (svc.dialogs.AskYesNo("Are you sure to restore to the default settings?")) LoadSettings(true);
}

void TForm_Tarnel::CheckBox_AutoProcessListClick() {
  SpinEdit_ProcessListTime->setEnabled(CheckBox_AutoProcessList->isChecked());
}
