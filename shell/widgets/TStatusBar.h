#pragma once
#include <QString>
#include <QWidget>
#include <array>

class QLabel;

// The status line: three panels of text.
class TStatusBar : public QWidget {
  Q_OBJECT
 public:
  explicit TStatusBar(QWidget* parent = nullptr);
  QString panelText(int i) const;
  void setPanelText(int i, const QString& text);
  // The designed width of a panel; the last one takes whatever room is left beyond it.
  int panelWidth(int i) const;

 private:
  std::array<QLabel*, 3> panels_{};
};
