#include "shell/rounded_outline.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include "shell/wayland_session.h"

namespace nv {
namespace {

// Lies over every other child of the window and clears the pixels outside the outline after
// they were painted: the controls share the window's buffer, so what they paint into a corner
// is erased again within the same repaint.
class CornerEraser : public QWidget {
 public:
  CornerEraser(QWidget& window, const QRegion& outline) : QWidget(&window), outside_(QRegion(window.rect()) - outline) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(window.rect());
    raise();
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    for (const QRect& r : outside_ & e->region()) p.fillRect(r, Qt::transparent);
  }

 private:
  QRegion outside_;
};

}  // namespace

QRegion RoundRectRegion(int right, int bottom, int ellipse) {
  QPainterPath outline;
  outline.addRoundedRect(0, 0, right, bottom, ellipse / 2.0, ellipse / 2.0);
  return QRegion(outline.toFillPolygon().toPolygon());
}

void ApplyRoundedOutline(QWidget& window, int ellipse) {
  const QRegion outline = RoundRectRegion(window.width() + 2, window.height() + 2, ellipse);
  // Where no shape exists the mask still limits where the window takes input.
  window.setMask(outline);
  if (!OnWaylandPlatform()) return;
  window.setAttribute(Qt::WA_TranslucentBackground);
  // Only the corners may let the desktop through: the window's own background is filled as
  // without translucency.
  window.setAutoFillBackground(true);
  new CornerEraser(window, outline);
}

}  // namespace nv
