#include "shell/gauge_progress.h"

#include <algorithm>
#include <climits>

#include "shell/paint_through.h"
#include "shell/widgets/TGauge.h"

namespace nv {

void GaugeProgress::Start(uint64_t maximum) {
  maximum_ = maximum;
  unit_ = maximum / INT_MAX + 1;
  if (gauge_) {
    gauge_->setMinValue(0);
    gauge_->setMaxValue(static_cast<int>(maximum / unit_));
    gauge_->show();
  }
  Restart();
}

void GaugeProgress::Restart() {
  count_ = 0;
  if (gauge_)
    Publish();
  else
    next_ = UINT64_MAX;  // nothing to show: a step costs the counter alone
}

void GaugeProgress::Hide() {
  if (gauge_) gauge_->hide();
}

void GaugeProgress::Publish() {
  const uint64_t shown = count_ / unit_;
  const uint64_t range = maximum_ / unit_;
  gauge_->setProgress(static_cast<int>(std::min<uint64_t>(shown, INT_MAX)));
  LetWindowsPaint();
  if (range == 0 || shown >= range) {
    next_ = UINT64_MAX;
    return;
  }
  // The next whole percent, and the next pixel of the bar (the longer side bounds both kinds).
  const uint64_t pixels = static_cast<uint64_t>(std::max({gauge_->width(), gauge_->height(), 1}));
  const uint64_t percent = shown * 100 / range;
  const uint64_t filled = shown * pixels / range;
  const uint64_t nextPercent = ((percent + 1) * range + 99) / 100;
  const uint64_t nextPixel = ((filled + 1) * range + pixels - 1) / pixels;
  next_ = std::max(std::min({nextPercent, nextPixel, range}), shown + 1) * unit_;
}

}  // namespace nv
