#pragma once
#include <QImage>
#include <QString>
#include <QWidget>

// A picture control that reports the mouse entering and leaving it.
class TImageEx : public QWidget {
  Q_OBJECT
 public:
  explicit TImageEx(QWidget* parent = nullptr);
  // Resizes the control to the picture while AutoSize is set; otherwise the control keeps
  // its size and shows the picture from its top-left corner.
  void setPicture(const QImage& picture);
  void clearPicture();
  const QImage& picture() const { return picture_; }

  int Tag = 0;
  bool AutoSize = true;
  QString pictureName;  // the resource name of the picture shown, for the window's own checks

 signals:
  void OnMouseEnter(TImageEx* sender);
  void OnMouseLeave(TImageEx* sender);
  void OnClick(TImageEx* sender);
  void OnMouseDown(TImageEx* sender, Qt::MouseButton button, int x, int y);
  void OnMouseMove(TImageEx* sender, Qt::MouseButtons buttons, int x, int y);

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  QImage picture_;
};
