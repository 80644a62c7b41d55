#include "shell/gauge_progress.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QTest>

#include "shell/widgets/TGauge.h"

namespace {

void EnsureApplication() {
  if (QApplication::instance()) return;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST(GaugeProgress, PaintsOnlyWhenWhatItShowsChangesAndEndsAtTheMaximum) {
  EnsureApplication();
  QWidget window;
  TGauge gauge(TGauge::Kind::Horizontal, Qt::blue, Qt::gray, &window);
  gauge.setGeometry(0, 0, 654, 12);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  PaintCounter counter;
  gauge.installEventFilter(&counter);
  nv::GaugeProgress progress(&gauge);

  struct Case {
    uint64_t steps;
    int maxPaints;
  };
  // Each run may paint once per percent and once per pixel of the bar, plus its start.
  for (const Case c : {Case{1'000'000, 100 + 654 + 2}, Case{40, 40 + 2}, Case{6'291'456, 100 + 654 + 2}}) {
    counter.paints = 0;
    progress.Start(c.steps);
    for (uint64_t i = 0; i < c.steps; ++i) progress.Advance();
    EXPECT_LE(counter.paints, c.maxPaints) << c.steps;
    EXPECT_GE(counter.paints, std::min<int>(c.steps, 100)) << c.steps;
    EXPECT_EQ(gauge.maxValue(), int(c.steps));
    EXPECT_EQ(gauge.progress(), gauge.maxValue()) << c.steps;
    EXPECT_EQ(gauge.text(), "100%");
    progress.Restart();
    EXPECT_EQ(gauge.progress(), 0);
  }
  progress.Hide();
  EXPECT_TRUE(gauge.isHidden());
}

TEST(GaugeProgress, RangeBeyondTheGaugeIntegerIsScaledDown) {
  EnsureApplication();
  TGauge gauge(TGauge::Kind::Horizontal, Qt::blue, Qt::gray);
  nv::GaugeProgress progress(&gauge);
  const uint64_t pages = uint64_t{3} << 31;  // a 24 TiB machine in 4 KiB pages
  progress.Start(pages);
  EXPECT_GT(gauge.maxValue(), 0);
  EXPECT_EQ(gauge.progress(), 0);
}

}  // namespace
