#include <QMenu>
#include <QSystemTrayIcon>

#include "window_fixture.h"
#include "window_probe.h"

namespace nv::test {
namespace {

constexpr uint64_t MB = 1048576;
const QColor kSkyBlue(166, 202, 240);
const QColor kOrange(255, 128, 64);
const QColor kPurple(128, 0, 128);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

class TrayTest : public WindowFixture {
 protected:
  // A pixel of the picture the tray shows at its design size, 16 x 16; the template's blue
  // shows through as transparent.
  QColor Pixel(int x, int y) {
    const QImage icon = TForm_TarnelProbe(Window()).TrayIcon()->icon().pixmap(16, 16).toImage();
    return QColor::fromRgba(icon.convertToFormat(QImage::Format_ARGB32).pixel(x, y));
  }
  bool Transparent(int x, int y) { return Pixel(x, y).alpha() == 0; }

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
    Probe().Tray->UpdateTrayIcon(memory.status);
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
    TForm_TarnelProbe(Window()).CpuUsage() = c.cpu;
    Probe().Tray->UpdateTrayIcon(memory.status);
    SCOPED_TRACE(testing::Message() << c.totalMb << "/" << c.usedMb << " MB, CPU " << c.cpu);
    for (int y : {13, 14}) EXPECT_EQ(Row(y), Bar(c.memWidth, c.mem));
    for (int y : {11, 12}) EXPECT_EQ(Row(y), Bar(c.memWidth, c.page));
    for (int y : {9, 10}) EXPECT_EQ(Row(y), Bar(c.cpuWidth, c.cpuColour));
    for (int x = 0; x < 16; ++x) EXPECT_TRUE(Transparent(x, 15)) << x;
  }
}

// The figure stands on a white box over the rows above the bars, from the left edge.
TEST_F(TrayTest, FigureStandsOnAWhiteBoxAboveTheBars) {
  DrawWithFree(7);  // padded with blanks: the left edge of the box is plain white
  EXPECT_EQ(Pixel(0, 0), QColor(Qt::white));
  EXPECT_EQ(Pixel(0, 8), QColor(Qt::white));
  DrawWithFree(42);
  EXPECT_EQ(Pixel(0, 4), QColor(Qt::white));
  EXPECT_TRUE(Transparent(15, 4)) << "a short figure ends before the right edge";
  for (uint64_t free : {512, 2048, 23300})
    for (int x = 0; x < 16; ++x) EXPECT_NE(Pixel(x, 9), QColor(Qt::white)) << free << ": the box reaches into the bars";
}

// Runs of columns holding black pixels in the rows above the bars: one per character drawn
// whole and apart from its neighbours.
int InkRuns(const QImage& icon) {
  const int band = (9 * icon.height() + 8) / 16;
  int runs = 0;
  bool inRun = false;
  for (int x = 0; x < icon.width(); ++x) {
    bool ink = false;
    for (int y = 0; y < band && !ink; ++y) ink = qAlpha(icon.pixel(x, y)) == 255 && qGray(icon.pixel(x, y)) < 100;
    if (ink && !inRun) ++runs;
    inRun = ink;
  }
  return runs;
}

// Rows of the rows above the bars that hold black pixels.
int InkHeight(const QImage& icon) {
  const int band = (9 * icon.height() + 8) / 16;
  int top = -1, bottom = -1;
  for (int y = 0; y < band; ++y)
    for (int x = 0; x < icon.width(); ++x)
      if (qAlpha(icon.pixel(x, y)) == 255 && qGray(icon.pixel(x, y)) < 100) {
        if (top < 0) top = y;
        bottom = y;
      }
  return top < 0 ? 0 : bottom - top + 1;
}

// The icon is drawn for the size the tray asks for, at the density of the screen: every digit
// shows whole and apart, larger in larger cells, and the bars keep their design rows.
TEST_F(TrayTest, DrawnForEachSizeTheTrayAsksForWithTheFigureWhole) {
  memory.status = FakeMemory::StatusMB(32768, 2048, 65536, 32768);
  const QIcon megabytes = TForm_TarnelProbe(Window()).DrawTrayIcon();
  memory.status = FakeMemory::StatusMB(32768, 23300, 65536, 32768);
  const QIcon gigabytes = TForm_TarnelProbe(Window()).DrawTrayIcon();
  for (qreal ratio : {1.0, 2.0}) {
    int previousHeight = 0;
    for (int size : {16, 22, 24, 32, 48}) {
      SCOPED_TRACE(testing::Message() << size << " px at ratio " << ratio);
      const QPixmap pixmap = megabytes.pixmap(QSize(size, size), ratio);
      const QImage icon = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
      const int pixels = int(size * ratio);
      ASSERT_EQ(icon.size(), QSize(pixels, pixels));
      EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
      EXPECT_EQ(InkRuns(icon), 4) << "\"2048\"";
      EXPECT_EQ(InkRuns(gigabytes.pixmap(QSize(size, size), ratio).toImage()), 3) << "\"23G\"";
      const int height = InkHeight(icon);
      EXPECT_GE(height, 5);
      EXPECT_GE(height, previousHeight);
      previousHeight = height;
      // The physical memory bar (rows 13 and 14 of 16): 16 - 16 * 2048 / 32768 sixteenths used.
      const int barRow = (27 * pixels) / 32;
      EXPECT_EQ(QColor(icon.pixel(0, barRow)), kRed);
      EXPECT_EQ(qAlpha(icon.pixel(pixels - 1, pixels - 1)), 0) << "the template shows through below the bars";
    }
    EXPECT_GE(previousHeight, int(12 * ratio)) << "large cells get large digits";
  }
}

TEST_F(TrayTest, TemplateBlueIsTransparentEverythingDrawnIsOpaque) {
  memory.status = FakeMemory::StatusMB(1000, 7, 1000, 500);
  const QImage icon = TForm_TarnelProbe(Window()).DrawTrayIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
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
  TForm_TarnelProbe probe(w);
  probe.Tray->AddTrayIcon();
  EXPECT_TRUE(probe.TrayIcon()->isVisible());
  EXPECT_EQ(probe.TrayIcon()->toolTip(), "Velqor Norvane");
  probe.Tray->UpdateTrayIcon(memory.status);
  EXPECT_EQ(probe.TrayIcon()->toolTip(), "768 MB free of 1536 MB physical memory");
  probe.Tray->AddTrayIcon();  // a tray host came back
  EXPECT_EQ(probe.TrayIcon()->toolTip(), "Velqor Norvane");
  EXPECT_EQ(w.findChildren<QSystemTrayIcon*>().size(), 1);
}

TEST_F(TrayTest, DoubleClickShowsAHiddenWindowOnly) {
  TForm_Tarnel& w = Window();
  w.show();
  w.hide();
  emit TForm_TarnelProbe(w).TrayIcon()->activated(QSystemTrayIcon::Trigger);
  emit TForm_TarnelProbe(w).TrayIcon()->activated(QSystemTrayIcon::MiddleClick);
  EXPECT_FALSE(w.isVisible());
  emit TForm_TarnelProbe(w).TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(w.isVisible());

  w.showMinimized();
  emit TForm_TarnelProbe(w).TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(w.windowState().testFlag(Qt::WindowMinimized)) << "a minimized window is not restored here";
}

TEST_F(TrayTest, RightClickOpensTheMenuWhoseFirstItemShowsTheWindow) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  w.hide();
  emit probe.TrayIcon()->activated(QSystemTrayIcon::Context);
  EXPECT_TRUE(probe.Tray->PopupMenu_Taskbar->isVisible());
  probe.Tray->PopupMenu_Taskbar->hide();
  probe.Tray->OpenMainWindow1->trigger();
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
  TForm_TarnelProbe probe(w);
  w.show();
  MakeEveryPage(w);
  ASSERT_TRUE(probe.CheckBox_CloseMinimize->isChecked());
  EXPECT_TRUE(EndsTheProgram([&probe] { probe.Tray->Exit1->trigger(); }));
  EXPECT_FALSE(probe.TrayIcon()->isVisible());
  EXPECT_EQ(instance.resets, 1);
}

// Offscreen no tray is available, so putting the window away minimizes it.
TEST_F(TrayTest, CloseButtonPutsTheWindowAwayOnlyWhileTheOptionIsChecked) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  MakeEveryPage(w);
  probe.CheckBox_CloseMinimize->setChecked(true);
  EXPECT_FALSE(EndsTheProgram([&w] { w.CloseBtnClick(); }));
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(w.windowState().testFlag(Qt::WindowMinimized));
  EXPECT_TRUE(probe.TrayIcon()->isVisible());

  w.show();
  probe.CheckBox_CloseMinimize->setChecked(false);
  EXPECT_TRUE(EndsTheProgram([&w] { w.CloseBtnClick(); }));
}

TEST_F(TrayTest, ProcessExitHotKeyEndsEvenWhileCloseHidesToTheTray) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();  // the first showing registers the default hot keys; Process Exit is Alt+Shift+E
  MakeEveryPage(w);
  ASSERT_TRUE(probe.CheckBox_CloseMinimize->isChecked());
  EXPECT_TRUE(EndsTheProgram([&w] { w.WMHotKey(5, 'E'); }));
}

}  // namespace
}  // namespace nv::test
