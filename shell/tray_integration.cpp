#include "shell/tray_integration.h"

#include <QAction>
#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "engine/memory_units.h"
#include "monitor/status_texts.h"
#include "monitor/tray_icon_model.h"
#include "platform/memory.h"
#include "platform/product.h"
#include "shell/layout_helpers.h"
#include "shell/tray_icon_engine.h"
#include "shell/tray_redock_watch.h"
#include "shell/wayland_session.h"

namespace nv {

using layout::Named;

TrayIntegration::TrayIntegration(Memory& memory, std::function<double()> cpuUsage, QWidget* window)
    : QObject(window), memory_(memory), cpuUsage_(std::move(cpuUsage)) {
  Image_IconBak = QImage(16, 16, QImage::Format_RGB888);
  Image_IconBak.fill(QColor(0, 0, 255));
  BuildMenu(window);

  TrayIcon = new QSystemTrayIcon(this);
  // On a Wayland session the icon is a StatusNotifierItem (natively, and through XWayland
  // where the watcher runs), whose host draws the menu from the copy Qt exports over D-Bus.
  if (OnWaylandSession()) TrayIcon->setContextMenu(PopupMenu_Taskbar);
  connect(TrayIcon, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) { TrayIconActivated(reason); });
  // A tray host that appears anew gets the icon as from AddTrayIcon, with the title as tip. Qt
  // has already embedded it there: hiding and showing it again would only send it back through
  // the embedding, which the watch would see as yet another new host.
  TrayHostWatch = new TrayRedockWatch(TrayIcon, [this] { ShowTitleIcon(); }, this);
}

void TrayIntegration::BuildMenu(QWidget* window) {
  PopupMenu_Taskbar = Named(new QMenu(window), "PopupMenu_Taskbar");
  OpenMainWindow1 = Named(PopupMenu_Taskbar->addAction(QStringLiteral("Open Main Window")), "OpenMainWindow1");
  Named(PopupMenu_Taskbar->addSeparator(), "N3");
  pm_StartautoOptimize = Named(PopupMenu_Taskbar->addAction(QStringLiteral("Start auto optimize")), "pm_StartautoOptimize");
  OverallOpimize1 = Named(PopupMenu_Taskbar->addAction(QStringLiteral("Overall Opimize")), "OverallOpimize1");
  Named(PopupMenu_Taskbar->addSeparator(), "N2");
  Liveupdate1 = Named(PopupMenu_Taskbar->addAction(QStringLiteral("Live update")), "Liveupdate1");
  Named(PopupMenu_Taskbar->addSeparator(), "N1");
  Exit1 = Named(PopupMenu_Taskbar->addAction(QStringLiteral("Exit")), "Exit1");
}

QIcon TrayIntegration::DrawTrayIcon(const MemoryStatusEx& status) {
  TrayIconFigures figures{TrayIconFigure(MegabytesDown(status.ullAvailPhys)),
                          MakeTrayIconBars(UsedPhysRatio(status), UsedPageFileRatio(status), cpuUsage_())};
  return QIcon(new TrayIconEngine(Image_IconBak, std::move(figures)));
}

void TrayIntegration::AddTrayIcon() {
  TrayIcon->hide();
  ShowTitleIcon();
  TrayIcon->show();
  TrayHostWatch->Watch();
}

void TrayIntegration::ShowTitleIcon() {
  TrayIcon->setIcon(DrawTrayIcon(memory_.GlobalMemoryStatusEx().value_or(MemoryStatusEx{})));
  TrayIcon->setToolTip(QString::fromUtf8(kProductTitle));
}

void TrayIntegration::UpdateTrayIcon(const MemoryStatusEx& status) {
  TrayIcon->setIcon(DrawTrayIcon(status));
  TrayIcon->setToolTip(QString::fromStdString(TrayTooltipText(status)));
}

void TrayIntegration::RemoveTrayIcon() {
  TrayHostWatch->Stop();
  TrayIcon->hide();
}

bool TrayIntegration::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TrayIntegration::TrayIconActivated(int reason) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      emit OpenRequested();
      break;
    case QSystemTrayIcon::Trigger:
      // A StatusNotifierItem host activates with a single click and has no double click.
      if (OnWaylandSession()) emit OpenRequested();
      break;
    case QSystemTrayIcon::Context:
      // A host that does not draw the exported menu asks the item to show it. On a Wayland
      // session the pointer's place is unknown (a native client may not ask, and XWayland knows
      // only where it last crossed an X window), and a menu without a window under the pointer
      // would come out as a window of its own: the menu is left to hosts that draw it.
      if (!OnWaylandSession()) PopupMenu_Taskbar->popup(QCursor::pos());
      break;
    default:
      break;
  }
}

}  // namespace nv
