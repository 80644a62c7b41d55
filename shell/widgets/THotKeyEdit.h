#pragma once
#include <QKeyEvent>
#include <QLineEdit>

// The edit box in which a hot key is pressed. Key events are reported, then handled as an
// ordinary text box would.
class THotKeyEdit : public QLineEdit {
  Q_OBJECT
 public:
  using QLineEdit::QLineEdit;
 signals:
  void OnKeyDown(QKeyEvent* event);
  void OnKeyUp(QKeyEvent* event);

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    emit OnKeyDown(e);
    QLineEdit::keyPressEvent(e);
  }
  void keyReleaseEvent(QKeyEvent* e) override {
    emit OnKeyUp(e);
    QLineEdit::keyReleaseEvent(e);
  }
};
