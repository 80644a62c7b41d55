#pragma once
#include <QLabel>

// A text link: reports clicks and the mouse entering and leaving it.
class TLinkLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void OnClick();
  void OnMouseEnter();
  void OnMouseLeave();

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
};
