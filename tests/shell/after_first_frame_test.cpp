// Start-up work put off until the window's first frame: it waits for the frame, and it still
// runs, once, when no frame comes.
#include <QPaintEvent>
#include <QTest>
#include <QWidget>

#include "shell/after_first_frame.h"
#include "window_fixture.h"

namespace {

using namespace std::chrono_literals;

class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

class AfterFirstFrameTest : public ::testing::Test {
 protected:
  nv::test::ScriptedDialogs dialogs;
  nv::Application& app = nv::test::TestApplication(dialogs);  // before the window
  PaintCounter window;
  int runs = 0;
  int paintsAtRun = -1;
  bool RunsWithin(std::chrono::milliseconds wait) {
    return QTest::qWaitFor([this] { return runs > 0; }, static_cast<int>(wait.count()));
  }
  void Watch(std::chrono::milliseconds latest = 10s) {
    nv::RunAfterFirstFrame(window, [this] {
      ++runs;
      paintsAtRun = window.paints;
    }, latest);
  }
};

TEST_F(AfterFirstFrameTest, RunsOnceAfterTheFirstFrameIsDrawn) {
  window.resize(200, 100);
  Watch();
  // Shown, but not drawn until painting is allowed: showing alone must not run it.
  window.setUpdatesEnabled(false);
  window.show();
  QTest::qWait(100);
  EXPECT_EQ(runs, 0) << "ran before the window drew a frame";
  window.setUpdatesEnabled(true);
  EXPECT_TRUE(RunsWithin(3s));
  EXPECT_GE(paintsAtRun, 1);
  // Later frames and another showing run nothing more.
  window.hide();
  window.show();
  window.repaint();
  QTest::qWait(50);
  EXPECT_EQ(runs, 1);
}

TEST_F(AfterFirstFrameTest, RunsWhenTheWindowIsHiddenBeforeItDrewAFrame) {
  Watch();
  window.show();
  window.hide();  // a start straight into the tray
  EXPECT_TRUE(RunsWithin(3s));
  EXPECT_EQ(paintsAtRun, 0);
}

TEST_F(AfterFirstFrameTest, RunsByTheDeadlineWhenTheWindowIsNeverDrawn) {
  Watch(100ms);
  EXPECT_TRUE(RunsWithin(3s));
  QTest::qWait(50);
  EXPECT_EQ(runs, 1);
}

}  // namespace
