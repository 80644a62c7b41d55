#pragma once
#include <QIconEngine>
#include <QImage>

namespace nv {

// An icon that is one picture, drawn straight from it. Icons built from a QPixmap leave a
// copy of every picture in the application's pixmap cache when they are painted; the tray
// icon is redrawn at every refresh, so that cache would keep growing up to its limit.
class TrayIconEngine : public QIconEngine {
 public:
  explicit TrayIconEngine(QImage picture) : picture_(std::move(picture)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QIconEngine* clone() const override { return new TrayIconEngine(picture_); }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;

 private:
  QImage picture_;
};

}  // namespace nv
