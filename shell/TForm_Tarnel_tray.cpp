#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "engine/memory_units.h"
#include "monitor/status_texts.h"
#include "monitor/tray_icon_model.h"
#include "platform/product.h"
#include "shell/TForm_Tarnel.h"
#include "shell/tray_icon_engine.h"
#include "shell/tray_redock_watch.h"
#include "shell/wayland_session.h"


void TForm_Tarnel::setupTray() {
  TrayIcon = new QSystemTrayIcon(this);
  // A StatusNotifierItem host shows the menu itself, from the copy Qt exports over D-Bus.
  if (nv::OnWaylandSession()) TrayIcon->setContextMenu(PopupMenu_Taskbar);
  connect(TrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    TrayIconActivated(reason);
  });
  connect(OpenMainWindow1, &QAction::triggered, this, [this] { OpenMainWindow1Click(); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
  // A tray host that appears anew gets the icon as from AddTrayIcon, with the title as tip.
  TrayHostWatch = new nv::TrayRedockWatch(TrayIcon, [this] { AddTrayIcon(); }, this);
}

QIcon TForm_Tarnel::DrawTrayIcon() {
  const nv::MemoryStatusEx status = svc.memory.GlobalMemoryStatusEx();
  nv::TrayIconFigures figures{nv::TrayIconFigure(nv::MegabytesDown(status.ullAvailPhys)),
                              nv::MakeTrayIconBars(nv::UsedPhysRatio(status), nv::UsedPageFileRatio(status), CpuUsage)};
  Image_Icon = nv::DrawTrayIconPicture(Image_IconBak, figures, nv::kTrayIconSize);
  return QIcon(new nv::TrayIconEngine(Image_IconBak, std::move(figures)));
}

void TForm_Tarnel::AddTrayIcon() {
  TrayIcon->hide();
  TrayIcon->setIcon(DrawTrayIcon());
  TrayIcon->setToolTip(QString::fromUtf8(nv::kProductTitle));
  TrayIcon->show();
  TrayHostWatch->Watch();
}

void TForm_Tarnel::UpdateTrayIcon() {
  const nv::MemoryStatusEx status = svc.memory.GlobalMemoryStatusEx();
  TrayIcon->setIcon(DrawTrayIcon());
  TrayIcon->setToolTip(QString::fromStdString(nv::TrayTooltipText(status)));
}

void TForm_Tarnel::RemoveTrayIcon() {
  TrayHostWatch->Stop();
  TrayIcon->hide();
}

// The tray icon is the way back to a hidden window. Without a tray to show it (no tray host
// runs, or it has gone) the window is minimized instead, so that the task bar can bring it back.
void TForm_Tarnel::HideToTray() {
  if (QSystemTrayIcon::isSystemTrayAvailable())
    hide();
  else
    showMinimized();
}

void TForm_Tarnel::TrayIconActivated(int reason) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      OpenMainWindow1Click();
      break;
    case QSystemTrayIcon::Trigger:
      // A StatusNotifierItem host activates with a single click and has no double click.
      if (nv::OnWaylandSession()) OpenMainWindow1Click();
      break;
    case QSystemTrayIcon::Context:
      PopupMenu_Taskbar->popup(QCursor::pos());
      break;
    default:
      break;
  }
}

void TForm_Tarnel::OpenMainWindow1Click() {
  if (!isVisible()) show();
}

void TForm_Tarnel::Exit1Click() {
  RemoveTrayIcon();
  svc.instance.ResetInstanceEvent();
  QCoreApplication::quit();
}
