#include "shell/TForm_Tarnel.h"
#include "shell/settings_page.h"

void TForm_Tarnel::setupSettings() { Settings = std::make_unique<nv::SettingsPage>(*this); }

void TForm_Tarnel::LoadSettings(bool UseDefaults) { Settings->Load(UseDefaults); }

bool TForm_Tarnel::SaveSettings() { return Settings->Save(); }

void TForm_Tarnel::SpeedButton_AppSetClick() { Settings->Apply(); }

void TForm_Tarnel::SpeedButton_SaveSetClick() { Settings->ConfirmAndSave(); }

void TForm_Tarnel::SpeedButton_DefayktClick() { Settings->ConfirmAndRestoreDefaults(); }

void TForm_Tarnel::CheckBox_AutoProcessListClick() { Settings->EnableNumberFields(); }

void TForm_Tarnel::ReleaseHotKeys() { Settings->ReleaseHotKeys(); }

void TForm_Tarnel::ActivateHotKeys() { Settings->ActivateHotKeys(); }

void TForm_Tarnel::HotKeyEditKeyDown(int slot, QKeyEvent* event) { Settings->CaptureKeyDown(slot, event); }

void TForm_Tarnel::HotKeyEditKeyUp(int slot, QKeyEvent* event) { Settings->CaptureKeyUp(slot, event); }

void TForm_Tarnel::HotKeyCheckBoxClick(int slot) { Settings->EnableHotKeyEdit(slot); }

void TForm_Tarnel::WMHotKey(uint32_t modifiers, uint32_t key) { Settings->DispatchHotKey(modifiers, key); }
