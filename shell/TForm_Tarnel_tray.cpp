#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "engine/memory_units.h"
#include "monitor/status_texts.h"
#include "monitor/tray_icon_model.h"
#include "shell/TForm_Tarnel.h"
#include "shell/tray_icon_engine.h"
#include "shell/tray_redock_watch.h"

namespace {

constexpr char kProductTitle[] = "Velqor Norvane";
// The height of the icon's font is the height of its text cell, ascent and descent together,
// so that a fallback font with tall ascenders keeps to the same rows.
QFont TrayIconFont(int cellHeight) {
  QFont font(QStringLiteral("MS UI Gothic"));
  font.setStyleStrategy(QFont::NoAntialias);
  int pixels = cellHeight;
  do {
    font.setPixelSize(pixels);
  } while (QFontMetrics(font).height() > cellHeight && --pixels > 1);
  return font;
}

QColor ToQColor(nv::Rgb c) { return QColor(c.r, c.g, c.b); }

// Each bar is two rows: the sky-blue background in full width, then the value part.
void DrawBar(QPainter& p, const nv::TrayIconBar& bar) {
  p.fillRect(0, bar.topRow, nv::kTrayIconSize, 2, ToQColor(nv::kTrayBarBackground));
  if (bar.width > 0) p.fillRect(0, bar.topRow, bar.width, 2, ToQColor(bar.colour));
}

// Every pixel of the bottom-left pixel's colour (the template's blue) becomes transparent.
QIcon IconWithTransparentBackground(const QImage& drawn) {
  QImage argb = drawn.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = argb.pixel(0, argb.height() - 1);
  for (int y = 0; y < argb.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
  }
  return QIcon(new nv::TrayIconEngine(std::move(argb)));
}

}  // namespace

void TForm_Tarnel::setupTray() {
  TrayIcon = new QSystemTrayIcon(this);
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
  const nv::TrayIconText text = nv::MakeTrayIconText(nv::MegabytesDown(status.ullAvailPhys), TrayIconFontHeight);
  TrayIconFontHeight = text.fontHeight;

  Image_Icon = Image_IconBak.copy();
  {
    QPainter p(&Image_Icon);
    p.setFont(TrayIconFont(text.fontHeight));
    // The text cells stand on a white box, as text drawn over an opaque brush does.
    const QString label = QString::fromStdString(text.text);
    const QRect cell(0, text.y, p.fontMetrics().horizontalAdvance(label), text.fontHeight);
    p.fillRect(cell, Qt::white);
    p.setPen(Qt::black);
    p.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, label);

    const nv::TrayIconBars bars =
        nv::MakeTrayIconBars(nv::UsedPhysRatio(status), nv::UsedPageFileRatio(status), CpuUsage);
    DrawBar(p, bars.physical);
    DrawBar(p, bars.pageFile);
    DrawBar(p, bars.cpu);
  }
  return IconWithTransparentBackground(Image_Icon);
}

void TForm_Tarnel::AddTrayIcon() {
  TrayIcon->hide();
  TrayIcon->setIcon(DrawTrayIcon());
  TrayIcon->setToolTip(kProductTitle);
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
