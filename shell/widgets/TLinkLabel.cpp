#include "shell/widgets/TLinkLabel.h"

#include <QMouseEvent>

void TLinkLabel::mouseReleaseEvent(QMouseEvent* e) {
  QLabel::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit OnClick();
}

void TLinkLabel::enterEvent(QEnterEvent* e) {
  QLabel::enterEvent(e);
  emit OnMouseEnter();
}

void TLinkLabel::leaveEvent(QEvent* e) {
  QLabel::leaveEvent(e);
  emit OnMouseLeave();
}
