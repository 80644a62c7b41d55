#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>

#include "platform/log.h"
#include "settings/hotkey_capture.h"
#include "settings/hotkey_dispatch.h"
#include "shell/TForm_Tarnel.h"
#include "shell/VirtualKeys.h"
#include "shell/widgets/THotKeyEdit.h"

void TForm_Tarnel::setupHotKeys() {
  for (int slot = 0; slot < static_cast<int>(HotKeyEdits.size()); ++slot) {
    // The box shows the combination pressed; typing must not add characters to it.
    HotKeyEdits[slot]->setReadOnly(true);
    connect(HotKeyEdits[slot], &THotKeyEdit::OnKeyDown, this, [this, slot](QKeyEvent* e) { HotKeyEditKeyDown(slot, e); });
    connect(HotKeyEdits[slot], &THotKeyEdit::OnKeyUp, this, [this, slot](QKeyEvent* e) { HotKeyEditKeyUp(slot, e); });
    connect(HotKeyCheckBoxes[slot], &QCheckBox::toggled, this, [this, slot] { HotKeyCheckBoxClick(slot); });
  }
  svc.hotKeys.SetHandler([this](uint32_t modifiers, uint32_t key) { WMHotKey(modifiers, key); });
  svc.hotKeys.SetOutcomeHandler([this](int id, const nv::HotKeyOutcome& outcome) {
    if (const auto status = nv::LateHotKeyStatus(CurrentHotKeys, id, outcome)) ShowHotKeyStatus(status->first, status->second);
  });
}

void TForm_Tarnel::ShowHotKeyStatus(size_t slot, const nv::HotKeyStatus& status) {
  HotKeyLabels[slot]->setText(QString::fromStdString(status.text));
  HotKeyLabels[slot]->setToolTip(QString::fromStdString(status.reason));
  if (status.reason.empty() || !CurrentHotKeys[slot].Enabled || status.reason == HotKeyReasonLogged ||
      status.reason == nv::kHotKeyAnswerAwaited)
    return;
  HotKeyReasonLogged = status.reason;
  nv::Log(nv::LogLevel::Warning, "Hot keys not registered: " + status.reason);
}

void TForm_Tarnel::ReleaseHotKeys() { nv::ReleaseHotKeys(svc.hotKeys, CurrentHotKeys); }

void TForm_Tarnel::ActivateHotKeys() {
  const auto statuses = nv::ActivateHotKeys(svc.hotKeys, CurrentHotKeys);
  for (size_t slot = 0; slot < statuses.size(); ++slot) ShowHotKeyStatus(slot, statuses[slot]);
}

void TForm_Tarnel::HotKeyEditKeyDown(int slot, QKeyEvent* event) {
  const auto text = nv::CaptureKeyDown(PendingHotKeys[slot], slot, VirtualKeyOf(*event), HeldModifiersOf(*event));
  HotKeyEdits[slot]->setText(QString::fromStdString(text));
}

void TForm_Tarnel::HotKeyEditKeyUp(int slot, QKeyEvent* event) {
  if (auto text = nv::CaptureKeyUp(PendingHotKeys[slot], VirtualKeyOf(*event), HeldModifiersOf(*event)))
    HotKeyEdits[slot]->setText(QString::fromStdString(*text));
}

void TForm_Tarnel::HotKeyCheckBoxClick(int slot) { HotKeyEdits[slot]->setEnabled(HotKeyCheckBoxes[slot]->isChecked()); }

void TForm_Tarnel::WMHotKey(uint32_t modifiers, uint32_t key) {
  for (size_t slot : nv::SlotsForHotKey(CurrentHotKeys, modifiers, key)) {
    switch (slot) {
      case 0:
        SpeedButton_RunAutoClick();
        break;
      case 1:
        SpeedButton_StartFullClick();
        break;
      case 2:
        if (IsMinimized) {
          setWindowState(windowState() & ~Qt::WindowMinimized);
          IsMinimized = false;
        }
        OpenMainWindow1Click();
        break;
      case 3:
        // Ends the program, whatever "Minimize to tray when close window " says. The quit
        // is posted as well: one requested while the first showing still holds a message box,
        // before the program's event loop runs, would otherwise be lost.
        close();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        break;
    }
  }
}
