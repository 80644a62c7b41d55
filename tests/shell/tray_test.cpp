#include <QMenu>
#include <QSystemTrayIcon>

#include "window_fixture.h"

namespace nv::test {
namespace {

constexpr uint64_t MB = 1048576;
const QColor kTemplateBlue(0, 0, 255);
const QColor kSkyBlue(166, 202, 240);
const QColor kOrange(255, 128, 64);
const QColor kPurple(128, 0, 128);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

class TrayTest : public WindowFixture {
 protected:
  QColor Pixel(int x, int y) { return QColor(Window().Image_Icon.pixel(x, y)); }

  // The colours of one bar row, left to right.
  std::vector<QColor> Row(int y) {
    std::vector<QColor> row;
    for (int x = 0; x < 16; ++x) row.push_back(Pixel(x, y));
    return row;
  }
  static std::vector<QColor> Bar(int width, QColor colour) {
    std::vector<QColor> row(16, kSkyBlue);
    std::fill(row.begin(), row.begin() + width, colour);
    return row;
  }
  void DrawWithFree(uint64_t freeMb) {
    memory.status.ullAvailPhys = freeMb * MB;
    Window().DrawTrayIcon();
  }
};

TEST_F(TrayTest, BarsByRatioAndCpuPixelByPixel) {
  struct Case {
    uint64_t totalMb, usedMb;
    double cpu;
    int memWidth;
    QColor mem, page;
    int cpuWidth;
    QColor cpuColour;
  } cases[] = {
      {1000, 800, 80, 12, kOrange, kPurple, 12, kGreen},  // exactly 0.8 and 80 stay in their colours
      {1000, 801, 81, 12, kRed, kRed, 12, kRed},
      {1024, 1024, 100, 16, kRed, kRed, 16, kRed},
      {1600, 99, 99, 0, kOrange, kPurple, 15, kRed},      // below 1/16: no bar
      {1600, 100, 7, 1, kOrange, kPurple, 1, kGreen},
      {1600, 100, 6, 1, kOrange, kPurple, 0, kGreen},
      {1600, 100, -3, 1, kOrange, kPurple, 0, kGreen},
      {1600, 100, 250, 1, kOrange, kPurple, 16, kRed},    // cut at the icon's edge
  };
  for (const auto& c : cases) {
    memory.status = FakeMemory::StatusMB(c.totalMb, c.totalMb - c.usedMb, c.totalMb, c.totalMb - c.usedMb);
    Window().CpuUsage = c.cpu;
    Window().DrawTrayIcon();
    SCOPED_TRACE(testing::Message() << c.totalMb << "/" << c.usedMb << " MB, CPU " << c.cpu);
    for (int y : {13, 14}) EXPECT_EQ(Row(y), Bar(c.memWidth, c.mem));
    for (int y : {11, 12}) EXPECT_EQ(Row(y), Bar(c.memWidth, c.page));
    for (int y : {9, 10}) EXPECT_EQ(Row(y), Bar(c.cpuWidth, c.cpuColour));
    EXPECT_EQ(Row(15), std::vector<QColor>(16, kTemplateBlue));
  }
}

TEST_F(TrayTest, TextBoxFollowsTheDigitCount) {
  // One and two digits are padded with blanks, so the left edge of the box is plain white.
  DrawWithFree(7);
  EXPECT_EQ(Pixel(0, 0), QColor(Qt::white));
  EXPECT_EQ(Pixel(0, 8), QColor(Qt::white));  // height 10 from y = -1 reaches row 8
  DrawWithFree(42);
  EXPECT_EQ(Pixel(0, 4), QColor(Qt::white));
  EXPECT_EQ(Pixel(15, 4), kTemplateBlue) << "a short text ends before the right edge";
  DrawWithFree(512);
  EXPECT_NE(Pixel(1, 8), kTemplateBlue);
  DrawWithFree(2048);  // height 8 from y = 0: rows 0 to 7
  EXPECT_NE(Pixel(1, 7), kTemplateBlue);
  EXPECT_EQ(Pixel(1, 8), kTemplateBlue);
  // Five digits keep the height of the drawing before and run off the right edge.
  DrawWithFree(10240);
  EXPECT_EQ(Pixel(1, 7), kTemplateBlue) << "height 8 from y = -1 ends at row 6";
  EXPECT_NE(Pixel(15, 3), kTemplateBlue);
  DrawWithFree(512);
  DrawWithFree(10240);
  EXPECT_NE(Pixel(1, 7), kTemplateBlue);
}

TEST_F(TrayTest, TemplateBlueIsTransparentEverythingDrawnIsOpaque) {
  memory.status = FakeMemory::StatusMB(1000, 7, 1000, 500);
  const QImage icon = Window().DrawTrayIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(icon.size(), QSize(16, 16));
  EXPECT_EQ(qAlpha(icon.pixel(0, 15)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(15, 15)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(15, 2)), 0);   // right of "  7"
  EXPECT_EQ(qAlpha(icon.pixel(0, 2)), 255);  // the text box
  EXPECT_EQ(qAlpha(icon.pixel(15, 13)), 255);
  EXPECT_EQ(QColor(icon.pixel(0, 13)), kRed);
}

TEST_F(TrayTest, TipReadsTheTitleWhenAddedAndTheFiguresAfterARefresh) {
  memory.status = {1610612736, 805306368, 2048 * MB, 1024 * MB, 0, 0};
  TForm_Tarnel& w = Window();
  w.AddTrayIcon();
  EXPECT_TRUE(w.TrayIcon->isVisible());
  EXPECT_EQ(w.TrayIcon->toolTip(), "Velqor Norvane");
  w.UpdateTrayIcon();
  EXPECT_EQ(w.TrayIcon->toolTip(), "768 MB free of 1536 MB physical memory");
  w.AddTrayIcon();  // a tray host came back
  EXPECT_EQ(w.TrayIcon->toolTip(), "Velqor Norvane");
  EXPECT_EQ(w.findChildren<QSystemTrayIcon*>().size(), 1);
}

TEST_F(TrayTest, DoubleClickShowsAHiddenWindowOnly) {
  TForm_Tarnel& w = Window();
  w.show();
  w.hide();
  emit w.TrayIcon->activated(QSystemTrayIcon::Trigger);
  emit w.TrayIcon->activated(QSystemTrayIcon::MiddleClick);
  EXPECT_FALSE(w.isVisible());
  emit w.TrayIcon->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(w.isVisible());

  w.showMinimized();
  emit w.TrayIcon->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(w.windowState().testFlag(Qt::WindowMinimized)) << "a minimized window is not restored here";
}

TEST_F(TrayTest, RightClickOpensTheMenuWhoseFirstItemShowsTheWindow) {
  TForm_Tarnel& w = Window();
  w.show();
  w.hide();
  emit w.TrayIcon->activated(QSystemTrayIcon::Context);
  EXPECT_TRUE(w.PopupMenu_Taskbar->isVisible());
  w.PopupMenu_Taskbar->hide();
  w.OpenMainWindow1->trigger();
  EXPECT_TRUE(w.isVisible());
}

// Runs the application's loop until the program ends itself; false when it does not within
// a few seconds.
bool EndsTheProgram(const std::function<void()>& action) {
  bool ended = true;
  QTimer::singleShot(0, action);
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&ended] {
    ended = false;
    QCoreApplication::exit(1);
  });
  guard.start(5000);
  QCoreApplication::exec();
  return ended;
}

TEST_F(TrayTest, ExitRemovesTheIconResetsTheMarkAndEndsWhateverTheCloseOption) {
  TForm_Tarnel& w = Window();
  w.show();
  ASSERT_TRUE(w.CheckBox_CloseMinimize->isChecked());
  EXPECT_TRUE(EndsTheProgram([&w] { w.Exit1->trigger(); }));
  EXPECT_FALSE(w.TrayIcon->isVisible());
  EXPECT_EQ(instance.resets, 1);
}

// Offscreen no tray is available, so putting the window away minimizes it.
TEST_F(TrayTest, CloseButtonPutsTheWindowAwayOnlyWhileTheOptionIsChecked) {
  TForm_Tarnel& w = Window();
  w.show();
  w.CheckBox_CloseMinimize->setChecked(true);
  EXPECT_FALSE(EndsTheProgram([&w] { w.CloseBtnClick(); }));
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(w.windowState().testFlag(Qt::WindowMinimized));
  EXPECT_TRUE(w.TrayIcon->isVisible());

  w.show();
  w.CheckBox_CloseMinimize->setChecked(false);
  EXPECT_TRUE(EndsTheProgram([&w] { w.CloseBtnClick(); }));
}

TEST_F(TrayTest, ProcessExitHotKeyEndsEvenWhileCloseHidesToTheTray) {
  TForm_Tarnel& w = Window();
  w.show();  // the first showing registers the default hot keys; Process Exit is Alt+Shift+E
  ASSERT_TRUE(w.CheckBox_CloseMinimize->isChecked());
  EXPECT_TRUE(EndsTheProgram([&w] { w.WMHotKey(5, 'E'); }));
}

}  // namespace
}  // namespace nv::test
