#include "shell/widgets/TImageEx.h"

#include <QMouseEvent>
#include <QPainter>

TImageEx::TImageEx(QWidget* parent) : QWidget(parent) {}

void TImageEx::setPicture(const QImage& picture) {
  picture_ = picture;
  if (AutoSize && !picture_.isNull()) resize(picture_.deviceIndependentSize().toSize());
  update();
}

void TImageEx::clearPicture() {
  picture_ = QImage();
  update();
}

void TImageEx::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, picture_);
}

void TImageEx::enterEvent(QEnterEvent* e) {
  QWidget::enterEvent(e);
  emit OnMouseEnter(this);
}

void TImageEx::leaveEvent(QEvent* e) {
  QWidget::leaveEvent(e);
  emit OnMouseLeave(this);
}

void TImageEx::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  emit OnMouseDown(this, e->button(), at.x(), at.y());
}

// A click is a left press and release over the control, as a push button counts it.
void TImageEx::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit OnClick(this);
}

void TImageEx::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  emit OnMouseMove(this, e->buttons(), at.x(), at.y());
}
