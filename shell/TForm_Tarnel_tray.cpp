#include <QAction>
#include <QCoreApplication>

#include "platform/linux/desktop/wayland_activation.h"
#include "platform/product.h"
#include "shell/TForm_Tarnel.h"
#include "shell/tray_integration.h"
#include "shell/wayland_session.h"

void TForm_Tarnel::setupTray() {
  connect(Tray, &nv::TrayIntegration::OpenRequested, this, [this] { OpenMainWindow1Click(); });
  connect(Tray->OpenMainWindow1, &QAction::triggered, this, [this] { OpenMainWindow1Click(); });
  connect(Tray->Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
}

void TForm_Tarnel::RemoveTrayIcon() { Tray->RemoveTrayIcon(); }

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
  BringForward();
}

// On X11 Qt asks the window manager through _NET_ACTIVE_WINDOW. A Wayland window may take the
// focus only with a token from the compositor: the one a portal's hot key brought in the
// environment, else one asked for now (which a compositor that prevents focus stealing may
// honour only by marking the window as wanting attention).
void TForm_Tarnel::BringForward() {
  raise();
  const bool asked = nv::OnWaylandPlatform() && qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN");
  if (asked) {
    const std::string token = nv::RequestActivationToken(nv::kDesktopEntryName);
    if (!token.empty()) qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
  }
  activateWindow();
  // Qt spends the token when it asks for the focus; one it did not spend must not reach the
  // programs this one starts.
  if (asked) qunsetenv("XDG_ACTIVATION_TOKEN");
}

void TForm_Tarnel::Exit1Click() {
  Tray->RemoveTrayIcon();
  svc.instance.ResetInstanceEvent();
  QCoreApplication::quit();
}
