#include <QAction>
#include <QCoreApplication>

#include "shell/TForm_Tarnel.h"
#include "shell/tray_integration.h"

void TForm_Tarnel::setupTray() {
  connect(Tray, &nv::TrayIntegration::OpenRequested, this, [this] { OpenMainWindow1Click(); });
  connect(Tray->OpenMainWindow1, &QAction::triggered, this, [this] { OpenMainWindow1Click(); });
  connect(Tray->Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
}

// The tray icon is the way back to a hidden window. Without a tray to show it (no tray host
// runs, or it has gone) the window is minimized instead, so that the task bar can bring it back.
void TForm_Tarnel::HideToTray() {
  if (nv::TrayIntegration::Available())
    hide();
  else
    showMinimized();
}

void TForm_Tarnel::OpenMainWindow1Click() {
  if (!isVisible()) show();
}

void TForm_Tarnel::Exit1Click() {
  Tray->RemoveTrayIcon();
  svc.instance.ResetInstanceEvent();
  QCoreApplication::quit();
}
