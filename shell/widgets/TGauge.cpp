#include "shell/widgets/TGauge.h"

#include <QPainter>
#include <algorithm>

TGauge::TGauge(Kind kind, QColor fore, QColor back, QWidget* parent)
    : QWidget(parent), kind_(kind), fore_(fore), back_(back) {}

void TGauge::setMinValue(int v) {
  min_ = v;
  update();
}

void TGauge::setMaxValue(int v) {
  max_ = v;
  update();
}

void TGauge::setProgress(int v) {
  progress_ = v;
  update();
}

void TGauge::addProgress(int delta) { setProgress(progress_ + delta); }

namespace {
// Whole percent of the range that the progress covers, 0 for an empty range.
int64_t PercentDone(int64_t min, int64_t max, int64_t progress) {
  if (max <= min) return 0;
  progress = std::clamp(progress, min, max);
  return (progress - min) * 100 / (max - min);
}
}  // namespace

QString TGauge::text() const { return QString::asprintf("%d%%", int(PercentDone(min_, max_, progress_))); }

void TGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), back_);
  QRect filled = rect();
  double share = 0;
  if (max_ > min_) share = double(std::clamp<int64_t>(progress_, min_, max_) - min_) / double(int64_t(max_) - min_);
  if (kind_ == Kind::Horizontal) {
    filled.setWidth(int(width() * share));
  } else {
    const int h = int(height() * share);
    filled.setTop(height() - h);
  }
  p.fillRect(filled, fore_);

  // The text is drawn twice, clipped, so that it stays readable over both colours.
  const QString label = text();
  p.setFont(font());
  p.setClipRect(filled);
  p.setPen(back_);
  p.drawText(rect(), Qt::AlignCenter, label);
  p.setClipRegion(QRegion(rect()).subtracted(filled));
  p.setPen(fore_);
  p.drawText(rect(), Qt::AlignCenter, label);
}
