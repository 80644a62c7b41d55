#include "shell/tray_icon_engine.h"

#include <QPainter>
#include <QPaintDevice>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace nv {

QImage TrayIconEngine::Picture(int pixels) const {
  return WithTransparentTemplate(DrawTrayIconPicture(background_, figures_, std::max(pixels, 1)));
}

void TrayIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) {
  const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  const int side = std::min(rect.width(), rect.height());
  QImage picture = Picture(int(std::lround(side * ratio)));
  picture.setDevicePixelRatio(ratio);
  painter->drawImage(QRect(rect.topLeft(), QSize(side, side)), picture);
}

// Square, as large as asked: the picture is drawn for the size, not scaled.
QSize TrayIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
  const int side = std::min(size.width(), size.height());
  return QSize(side, side);
}

QPixmap TrayIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
  return scaledPixmap(size, mode, state, 1.0);
}

// QIcon hands over the size in device pixels, with the density it was asked for as `scale`.
QPixmap TrayIconEngine::scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale) {
  QPixmap pixmap = QPixmap::fromImage(Picture(std::min(size.width(), size.height())));
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

// The sizes trays commonly ask for, for those that take a list of pictures.
QList<QSize> TrayIconEngine::availableSizes(QIcon::Mode, QIcon::State) {
  return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
}

}  // namespace nv
