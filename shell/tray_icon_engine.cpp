#include "shell/tray_icon_engine.h"

#include <QPainter>
#include <QPixmap>

namespace nv {

void TrayIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) {
  painter->drawImage(rect, picture_);
}

// Never larger than the picture, as icons are not scaled up.
QSize TrayIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
  return picture_.size().scaled(size.boundedTo(picture_.size()), Qt::KeepAspectRatio);
}

QPixmap TrayIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
  const QSize actual = actualSize(size, mode, state);
  const QImage image = actual == picture_.size() ? picture_ : picture_.scaled(actual, Qt::KeepAspectRatio);
  return QPixmap::fromImage(image);
}

QList<QSize> TrayIconEngine::availableSizes(QIcon::Mode, QIcon::State) { return {picture_.size()}; }

}  // namespace nv
