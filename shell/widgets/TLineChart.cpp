#include "shell/widgets/TLineChart.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kCell = 12;
const QColor kGridLine(0, 128, 64);

// One 12 x 12 cell of the background: black with a grid line along its top and left edges.
QImage GridCell() {
  QImage cell(kCell, kCell, QImage::Format_RGB32);
  cell.fill(Qt::black);
  QPainter p(&cell);
  p.setPen(kGridLine);
  p.drawLine(0, 0, kCell - 1, 0);
  p.drawLine(0, 0, 0, kCell - 1);
  return cell;
}
}  // namespace

TLineChart::TLineChart(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

int TLineChart::addSeries(QColor color, const QString& legendTitle) {
  series_.push_back({color, legendTitle, {}});
  update();
  return seriesCount() - 1;
}

void TLineChart::setVerticalRange(double min, double max) {
  min_ = min;
  max_ = max;
  update();
}

void TLineChart::setLegendVisible(bool visible) {
  legend_ = visible;
  update();
}

void TLineChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  static const QBrush grid(GridCell());
  p.fillRect(rect(), grid);

  const double span = max_ - min_;
  for (const Line& line : series_) {
    const nv::ChartSeries& s = line.data;
    if (s.count() < 2 || span <= 0) continue;
    const double x0 = s.x(0), xSpan = s.x(s.count() - 1) - x0;
    if (xSpan <= 0) continue;
    QPainterPath path;
    for (int i = 0; i < s.count(); ++i) {
      const QPointF at((s.x(i) - x0) / xSpan * (width() - 1), (height() - 1) - (s.y(i) - min_) / span * (height() - 1));
      if (i == 0)
        path.moveTo(at);
      else
        path.lineTo(at);
    }
    p.setPen(QPen(line.color, 1));
    p.drawPath(path);
  }

  if (!legend_) return;
  // Listed newest first, so the series added last stands leftmost.
  int x = 4;
  QFontMetrics metrics(font());
  for (auto it = series_.rbegin(); it != series_.rend(); ++it) {
    if (it->title.isEmpty()) continue;
    p.fillRect(x, 4, 13, 13, it->color);
    x += 17;
    p.setPen(Qt::white);
    p.drawText(x, 4, metrics.horizontalAdvance(it->title) + 2, 13, Qt::AlignLeft | Qt::AlignVCenter, it->title);
    x += metrics.horizontalAdvance(it->title) + 12;
  }
}
