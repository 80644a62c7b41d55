// The overall optimization on a real X display, with the program's own message boxes: what
// the screen shows while the pass runs.
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "shell/QtDialogs.h"
#include "window_fixture.h"

namespace nv::test {
namespace {

class OverallOptimizeOnScreenTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X display";
    processes.Add(1, "init");
    memory.status = FakeMemory::StatusMB(256, 100, 512, 256);  // level 1: 257 blocks of 1 MB
    window_ = std::make_unique<TForm_Tarnel>(Services{memory, processes, cpu, registry, boxes_, clipboard, hotKeys,
                                                      shell, instance, privileges, http, paging, reclaimer, reclaimMeter, focus});
    window_->show();
    window_->SpeedButton_fullClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::qWait(300);
  }
  void TearDown() override {
    window_.reset();
    WindowFixture::TearDown();
  }

  // Answers the boxes as the user would: Yes to the confirmation, OK to the report.
  void AnswerBoxes() {
    auto* answer = new QTimer(window_.get());
    QObject::connect(answer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      for (QAbstractButton* button : box->buttons()) {
        if (button->text() != "&Yes") continue;
        confirmation_ = box->frameGeometry();
        return button->click();
      }
      reports_ << box->text();
      box->accept();
    });
    answer->start(100);
  }

  // The screen over the window, and the window as it paints itself, at this moment.
  struct Shot {
    QImage screen, drawn;
  };
  Shot TakeShot() {
    TForm_Tarnel& w = *window_;
    const QRect area(w.mapToGlobal(QPoint(0, 0)), w.size());
    return {w.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage().convertToFormat(QImage::Format_RGB32),
            w.grab().toImage().convertToFormat(QImage::Format_RGB32)};
  }

  QtDialogs boxes_;
  std::unique_ptr<TForm_Tarnel> window_;
  QStringList reports_;
  QRect confirmation_;  // where the confirmation stood on the screen
};

// Pixels of `area` where the screen does not show what the window draws.
int CountMismatches(const QImage& screen, const QImage& drawn, const QRect& area) {
  int mismatches = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (screen.pixel(x, y) != drawn.pixel(x, y)) ++mismatches;
  return mismatches;
}

TEST_F(OverallOptimizeOnScreenTest, LabelAndGaugeAreOnTheScreenWhileThePassRunsAndTheBoxIsGone) {
  TForm_Tarnel& w = *window_;
  TForm_TarnelProbe probe(w);
  Shot midPass;
  // The windows paint during the pass, but no timer ticks in it.
  probe.Timer_self->setInterval(1);
  int selfTrimsAtStart = -1, selfTrimsAtEnd = -1;
  memory.onCommit = [&](int call) {
    if (call == 0) selfTrimsAtStart = processes.selfTrims;
    if (call == 128) midPass = TakeShot();
    if (call == 256) selfTrimsAtEnd = processes.selfTrims;
  };
  AnswerBoxes();
  w.SpeedButton_StartFullClick();
  ASSERT_EQ(reports_.size(), 1) << "no report";
  ASSERT_FALSE(midPass.screen.isNull());
  EXPECT_EQ(selfTrimsAtEnd, selfTrimsAtStart);

  // The label and the gauge are drawn in the window ...
  const QRect label(probe.Label_overalloptimizing->mapTo(&w, QPoint(0, 0)), probe.Label_overalloptimizing->size());
  const QRect gauge(probe.Gauge_OvarallOptimize->mapTo(&w, QPoint(0, 0)), probe.Gauge_OvarallOptimize->size());
  const auto hasColour = [](const QImage& image, const QRect& rect, const std::function<bool(QColor)>& wanted) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x)
        if (wanted(QColor(image.pixel(x, y)))) return true;
    return false;
  };
  EXPECT_TRUE(hasColour(midPass.drawn, label, [](QColor c) { return c.red() > 150 && c.green() < 100; }));
  EXPECT_TRUE(hasColour(midPass.drawn, gauge, [](QColor c) { return c == QColor(0, 0, 255); }));
  // ... and the screen shows them, and the window as drawn where the confirmation stood.
  const QRect boxArea = QRect(w.mapFromGlobal(confirmation_.topLeft()), confirmation_.size()) & w.rect();
  ASSERT_FALSE(boxArea.isEmpty()) << "the confirmation did not stand over the window";
  EXPECT_EQ(CountMismatches(midPass.screen, midPass.drawn, label), 0);
  EXPECT_EQ(CountMismatches(midPass.screen, midPass.drawn, gauge), 0);
  EXPECT_EQ(CountMismatches(midPass.screen, midPass.drawn, boxArea), 0);
}

}  // namespace
}  // namespace nv::test
