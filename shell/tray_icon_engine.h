#pragma once
#include <QIconEngine>
#include <QImage>

#include "shell/tray_icon_picture.h"

namespace nv {

// The tray icon, drawn afresh for every size the tray asks for (16 to 48 pixels, and at twice
// the density on high-resolution screens) rather than one 16-pixel picture scaled. Nothing is
// kept between requests: icons built from pixmaps leave a copy in the application's pixmap
// cache each time they are painted, and the icon is redrawn at every refresh.
class TrayIconEngine : public QIconEngine {
 public:
  TrayIconEngine(QImage background, TrayIconFigures figures)
      : background_(std::move(background)), figures_(std::move(figures)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
  QIconEngine* clone() const override { return new TrayIconEngine(background_, figures_); }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;

 private:
  QImage Picture(int pixels) const;

  QImage background_;
  TrayIconFigures figures_;
};

}  // namespace nv
