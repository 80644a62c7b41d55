#pragma once
#include <QColor>
#include <QWidget>

// A bar that fills the part of its range given by its progress and prints the whole
// percentage of its range in its middle ("%d%%").
class TGauge : public QWidget {
  Q_OBJECT
 public:
  enum class Kind { Horizontal, Vertical };
  TGauge(Kind kind, QColor fore, QColor back, QWidget* parent = nullptr);
  void setMinValue(int v);
  void setMaxValue(int v);
  void setProgress(int v);
  void addProgress(int delta);
  int minValue() const { return min_; }
  int maxValue() const { return max_; }
  int progress() const { return progress_; }
  // The percentage text, progress held inside the range.
  QString text() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Kind kind_;
  QColor fore_, back_;
  int min_ = 0, max_ = 100, progress_ = 0;
};
