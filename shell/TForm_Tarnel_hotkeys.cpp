#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>

#include "settings/hotkey_capture.h"
#include "settings/hotkey_dispatch.h"
#include "settings/hotkey_registration.h"
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
  svc.hotKeys.SetOutcomeHandler([this](int id, bool registered) {
    if (const auto status = nv::LateHotKeyStatus(CurrentHotKeys, id, registered))
      HotKeyLabels[status->first]->setText(QString::fromStdString(status->second));
  });
}

void TForm_Tarnel::ReleaseHotKeys() { nv::ReleaseHotKeys(svc.hotKeys, CurrentHotKeys); }

void TForm_Tarnel::ActivateHotKeys() {
  const auto labels = nv::ActivateHotKeys(svc.hotKeys, CurrentHotKeys);
  for (size_t slot = 0; slot < labels.size(); ++slot) HotKeyLabels[slot]->setText(QString::fromStdString(labels[slot]));
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
        if (!isVisible()) show();
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
