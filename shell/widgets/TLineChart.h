#pragma once
#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

#include "monitor/chart_series.h"

// A light rolling line graph over a tiled dark-green grid, with a fixed vertical range.
class TLineChart : public QWidget {
  Q_OBJECT
 public:
  explicit TLineChart(QWidget* parent = nullptr);
  // Adds a series; the legend lists the titled ones.
  int addSeries(QColor color, const QString& legendTitle = {});
  nv::ChartSeries& series(int i) { return series_[i].data; }
  int seriesCount() const { return static_cast<int>(series_.size()); }
  void setVerticalRange(double min, double max);
  double verticalMin() const { return min_; }
  double verticalMax() const { return max_; }
  void setLegendVisible(bool visible);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  struct Line {
    QColor color;
    QString title;
    nv::ChartSeries data;
  };
  std::vector<Line> series_;
  double min_ = 0, max_ = 100;
  bool legend_ = false;
};
