// The window's frame, its controls as designed, window creation and the ways it closes.
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QMenu>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/error.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TSpinEdit.h"
#include "shell/widgets/TStatusBar.h"
#include "window_fixture.h"
#include "window_probe.h"

namespace {

using nv::PrivilegeStep;
using nv::test::WindowFixture;
using WindowTest = WindowFixture;

TEST_F(WindowTest, FrameIsBorderlessFixedAndRounded) {
  TForm_Tarnel& w = Window();
  EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(w.size(), QSize(710, 546));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_EQ(w.pos(), QPoint(279, 233));
  const QRegion outline = w.mask();
  EXPECT_EQ(outline.boundingRect(), QRect(0, 0, 712, 548));
  for (QPoint corner : {QPoint(0, 0), QPoint(711, 0), QPoint(0, 547), QPoint(711, 547)}) EXPECT_FALSE(outline.contains(corner));
  for (QPoint inside : {QPoint(12, 1), QPoint(1, 12), QPoint(355, 273), QPoint(705, 540), QPoint(710, 274), QPoint(355, 546)})
    EXPECT_TRUE(outline.contains(inside)) << inside.x() << "," << inside.y();
}

// A control given a style sheet keeps a style object and parsed rules of its own for the life of
// the window (tens of kB each); the window's looks come from palettes, fonts and painting.
TEST_F(WindowTest, NoControlCarriesAStyleSheet) {
  TForm_Tarnel& w = Window();
  MakeEveryPage(w);
  w.show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
  const QList<QWidget*> controls = w.findChildren<QWidget*>();
  ASSERT_GE(controls.size(), 50);
  for (const QWidget* control : controls)
    EXPECT_TRUE(control->styleSheet().isEmpty()) << control->objectName().toStdString() << " " << control->metaObject()->className();
}

bool JpegDecoderLoaded() {
  std::ifstream maps("/proc/self/maps");
  return std::string(std::istreambuf_iterator<char>(maps), {}).find("libturbojpeg") != std::string::npos;
}

// The JPEG decoder is loaded for the pictures of one change and let go at once: a window that
// sits shown does not keep it resident, and a hover still brings its picture.
TEST_F(WindowTest, TheShownWindowLoadsTheJpegDecoderOnlyToDecode) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  QCoreApplication::processEvents();
  EXPECT_FALSE(JpegDecoderLoaded()) << "the shown window keeps the decoder";
  w.SpeedButton_fullClick();
  EXPECT_FALSE(JpegDecoderLoaded()) << "the processes page, made now, left the decoder loaded";

  const QImage normal = probe.SpeedButton_StartFull->picture();
  Enter(probe.SpeedButton_StartFull);
  EXPECT_EQ(probe.SpeedButton_StartFull->pictureName, "SpeedButton_StartFull");
  EXPECT_FALSE(probe.SpeedButton_StartFull->picture().isNull());
  EXPECT_NE(probe.SpeedButton_StartFull->picture(), normal);
  EXPECT_FALSE(JpegDecoderLoaded()) << "a hover left the decoder loaded";
}

// Hidden in the tray, the window keeps no native window and no decoded picture; shown again it
// looks as it did.
TEST_F(WindowTest, AWindowHiddenInTheTrayGivesBackWhatItCanMakeAgain) {
  TForm_Tarnel& w = Window();
  MakeEveryPage(w);
  w.show();
  QCoreApplication::processEvents();
  const QImage shown = w.grab().toImage();

  w.hide();
  QCoreApplication::processEvents();
  EXPECT_FALSE(w.testAttribute(Qt::WA_WState_Created)) << "the native window and its backing store were kept";
  int released = 0;
  for (TImageEx* image : w.findChildren<TImageEx*>()) {
    if (image->pictureName.isEmpty()) continue;  // drawn, not decoded: the minimize and close buttons
    EXPECT_TRUE(image->picture().isNull()) << image->pictureName.toStdString();
    ++released;
  }
  EXPECT_GE(released, 10);
  EXPECT_FALSE(JpegDecoderLoaded());

  w.show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.testAttribute(Qt::WA_WState_Created));
  EXPECT_EQ(w.grab().toImage(), shown);
}

TEST_F(WindowTest, ControlsStartAsDesigned) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  MakeEveryPage(w);
  struct Spin {
    TSpinEdit* edit;
    int min, max;
    QString text;
  };
  for (const Spin& s : {Spin{probe.SpinEdit_Time, 1, 59, "3"}, Spin{probe.SpinEdit_bstopauto, 1, 100, "50"},
                        Spin{probe.SpinEdit_ProcessListTime, 1, 59, "1"}}) {
    EXPECT_EQ(std::pair(s.edit->minValue(), s.edit->maxValue()), std::pair(s.min, s.max)) << s.edit->objectName().toStdString();
    EXPECT_EQ(s.edit->text(), s.text);
  }
  const std::pair<QCheckBox*, QString> checks[] = {
      {probe.CheckBox_EmptyClipboard, "Clean clipboard when  auto optimize (Not recommend)"},
      {probe.CheckBox_bstopauto, "Stop optimization when available memory usage is higher than :"},
      {probe.CheckBox_AfterMemTrim, "Tweak memory before auto optimization (It will take few seconds to start program)"},
      {probe.CheckBox_AutoProcessList, "Auto refresh system status,interval :"},
      {probe.CheckBox_AutoStart, "Startup with system start"},
      {probe.CheckBox_Auto, "Auto optimize when start"},
      {probe.CheckBox_CloseMinimize, "Minimize to tray when close window "},
      {probe.CheckBox_MinimizeStart, "Minimize when start"},
      {probe.HotKeyCheckBoxes[0], "Auto Optimize(Start/Stop)"},
      {probe.HotKeyCheckBoxes[1], "Tweak memory"},
      {probe.HotKeyCheckBoxes[2], "Open Main Window"},
      {probe.HotKeyCheckBoxes[3], "Process Exit"},
  };
  for (const auto& [box, caption] : checks) {
    EXPECT_EQ(box->text(), caption);
    EXPECT_EQ(box->isChecked(), box == probe.CheckBox_AutoProcessList || box == probe.CheckBox_AutoStart) << caption.toStdString();
  }
  EXPECT_EQ(probe.TrackBar_OverallOption->minimum(), 1);
  EXPECT_EQ(probe.TrackBar_OverallOption->maximum(), 5);
  EXPECT_EQ(probe.TrackBar_OverallOption->value(), 1);
  EXPECT_TRUE(probe.Gauge_OvarallOptimize->isHidden());
  EXPECT_TRUE(probe.Label_overalloptimizing->isHidden());
  EXPECT_EQ(probe.Label_overalloptimizing->text(), "Memory overall optimizing...");
  EXPECT_TRUE(probe.StatusBar_State->isHidden() || !probe.StatusBar_State->isVisibleTo(&w));
  EXPECT_EQ(std::vector<int>({probe.StatusBar_State->panelWidth(0), probe.StatusBar_State->panelWidth(1), probe.StatusBar_State->panelWidth(2)}),
            std::vector<int>({143, 150, 50}));
  EXPECT_EQ(probe.HelpBtn->text(), "Help");
  EXPECT_EQ(probe.AboutBtn->text(), "About");
  EXPECT_EQ(probe.HelpBtn->mapTo(&w, QPoint(0, 0)), QPoint(31, 526));
  EXPECT_EQ(probe.AboutBtn->mapTo(&w, QPoint(0, 0)), QPoint(84, 526));
}

TEST_F(WindowTest, PictureButtonsStandWhereDesignedWithTheirNormalPictures) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  MakeEveryPage(w);
  struct Place {
    TImageEx* button;
    QRect geometry;  // in window coordinates; notebook pages start at (12, 92)
    QString picture;
  };
  const Place places[] = {
      {probe.SpeedButton_UsageGraph, {247, 52, 140, 40}, "SpeedButton_UsageGraph"},
      {probe.SpeedButton_full, {396, 52, 140, 40}, "SpeedButton_full1"},
      {probe.SpeedButton_Set, {544, 52, 140, 40}, "SpeedButton_Set1"},
      {probe.Image1, {0, 0, 710, 92}, "Title"},
      {probe.Image2, {0, 92, 12, 419}, "BorderLeft"},
      {probe.Image12, {698, 92, 12, 419}, "BorderRight"},
      {probe.Image18, {0, 511, 710, 35}, "Bottom"},
  };
  for (const Place& p : places) {
    EXPECT_EQ(QRect(p.button->mapTo(&w, QPoint(0, 0)), p.button->size()), p.geometry) << p.picture.toStdString();
    EXPECT_EQ(p.button->pictureName, p.picture);
  }
  EXPECT_EQ(QRect(probe.MinimizeBtn->mapTo(&w, QPoint(0, 0)), probe.MinimizeBtn->size()), QRect(643, 0, 24, 14));
  EXPECT_EQ(QRect(probe.CloseBtn->mapTo(&w, QPoint(0, 0)), probe.CloseBtn->size()), QRect(667, 0, 25, 14));
  for (TImageEx* b : {probe.SpeedButton_RunAuto, probe.SpeedButton_RunAuto2}) EXPECT_EQ(b->pictureName, "SpeedButton_RunAuto1");
  for (TImageEx* b : {probe.SpeedButton_RunAuto, probe.SpeedButton_StartFull, probe.SpeedButton_SaveSet, probe.SpeedButton_Set})
    EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_NE(probe.CloseBtn->cursor().shape(), Qt::PointingHandCursor);
}

// The list is made when the report is first seen, and stays.
TEST_F(WindowTest, ProcessReportHasItsEightColumns) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  w.Button_GetProcessInfoClick();
  EXPECT_EQ(probe.ListView_ProcessReport, nullptr) << "an item view made for a report nobody has seen";
  EXPECT_TRUE(w.findChildren<QAbstractItemView*>().isEmpty());
  w.SpeedButton_fullClick();
  QTreeWidget* list = probe.ListView_ProcessReport;
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isVisibleTo(&w));
  EXPECT_EQ(list->geometry().topLeft(), QPoint(18, 128));
  w.SpeedButton_UsageGraphClick();
  w.SpeedButton_fullClick();
  EXPECT_EQ(probe.ListView_ProcessReport, list);
  EXPECT_EQ(list->size(), QSize(649, 215));
  const auto L = int(Qt::AlignLeft | Qt::AlignVCenter), R = int(Qt::AlignRight | Qt::AlignVCenter);
  const std::tuple<QString, int, int> columns[] = {
      {"Process name", 110, L}, {"PID", 50, R},        {"Mem usage", 70, R}, {"Peak mem usage", 70, R},
      {"Page error", 70, R},    {"Base Priority", 60, L}, {"ParentPID", 60, L}, {"Exe file name", 200, L},
  };
  ASSERT_EQ(list->columnCount(), 8);
  for (int i = 0; i < 8; ++i) {
    const auto& [caption, width, alignment] = columns[i];
    EXPECT_EQ(list->headerItem()->text(i), caption);
    EXPECT_EQ(list->columnWidth(i), width) << caption.toStdString();
    EXPECT_EQ(list->headerItem()->textAlignment(i), alignment) << caption.toStdString();
  }
  EXPECT_FALSE(list->header()->sectionsClickable());
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(WindowTest, TimersAndTrayMenuAsDesigned) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  EXPECT_TRUE(probe.Timer_self->isActive());
  EXPECT_EQ(probe.Timer_self->interval(), 1000);
  EXPECT_FALSE(probe.Timer_GetProcessInfo->isActive());
  EXPECT_FALSE(probe.Timer_Auto->isActive());
  EXPECT_FALSE(probe.Timer_HideMainWindows->isActive());
  EXPECT_EQ(probe.Timer_HideMainWindows->interval(), 1);

  QStringList captions;
  for (QAction* a : probe.Tray->PopupMenu_Taskbar->actions()) captions << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(captions, QStringList({"Open Main Window", "-", "Start auto optimize", "Overall Opimize", "-", "Live update", "-", "Exit"}));
  EXPECT_EQ(probe.Tray->PopupMenu_Taskbar->actions().at(2), probe.Tray->pm_StartautoOptimize);
  EXPECT_EQ(probe.Tray->PopupMenu_Taskbar->actions().at(7), probe.Tray->Exit1);
}

TEST_F(WindowTest, PrivilegeStepAtCreation) {
  const std::string refusal = "Can not run this program! Please run this program under administrator' authorization! ";
  struct Case {
    bool saves;
    std::optional<PrivilegeStep> failingStep;
    std::vector<std::string> errors;
    bool refused;
  };
  const Case cases[] = {
      {true, std::nullopt, {}, false},
      {true, PrivilegeStep::OpenToken, {"OpenProcessToken ERROR"}, false},
      {true, PrivilegeStep::LookupPrivilege, {"LookupPrivilegeValue ERROR!", refusal}, true},
      {true, PrivilegeStep::AdjustToken, {"AdjustTokenPrivileges ERROR!", refusal}, true},
      {false, std::nullopt, {}, true},  // refused without a word
  };
  for (const Case& c : cases) {
    dialogs.shown.clear();
    privileges.saveSucceeds = c.saves;
    privileges.failingStep = c.failingStep;
    TForm_Tarnel w(services());
    TForm_TarnelProbe probe(w);
    EXPECT_EQ(dialogs.Texts("error"), c.errors);
    EXPECT_EQ(probe.StartRefused, c.refused);
    EXPECT_EQ(probe.Timer_self->isActive(), !c.refused);
    EXPECT_FALSE(probe.IsMinimized());
    EXPECT_FALSE(probe.FirstShowDone());
  }
}

// Runs the event loop until it ends or `limitMs` passes; true when it ended by itself.
bool LoopEndsWithin(int limitMs) {
  bool timedOut = false;
  QTimer::singleShot(limitMs, qApp, [&] {
    timedOut = true;
    QCoreApplication::quit();
  });
  QCoreApplication::exec();
  return !timedOut;
}

TEST_F(WindowTest, CloseButtonEndsTheProgram) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();  // the first showing loads the settings, which the page shows
  MakeEveryPage(w);
  probe.CheckBox_CloseMinimize->setChecked(false);
  QTimer::singleShot(0, &w, [this] { Click(Probe().CloseBtn); });
  EXPECT_TRUE(LoopEndsWithin(3000));
  EXPECT_FALSE(w.isVisible());
}

// Offscreen there is no tray: a window hidden there could not be brought back by a click.
TEST_F(WindowTest, CloseButtonMinimizesWhileAskedToGoToATrayThatIsNotThere) {
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  MakeEveryPage(w);
  probe.CheckBox_CloseMinimize->setChecked(true);
  QTimer::singleShot(0, &w, [this] { Click(Probe().CloseBtn); });
  // Seen before the loop is ended, since ending it closes every window.
  bool visible = false;
  QTimer::singleShot(250, &w, [&] { visible = w.isVisible(); });
  EXPECT_FALSE(LoopEndsWithin(300));
  EXPECT_TRUE(visible);
  EXPECT_TRUE(w.windowState().testFlag(Qt::WindowMinimized));
  EXPECT_TRUE(probe.IsMinimized());
}

TEST_F(WindowTest, MinimizingIsRecordedUntilRestored) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  Click(probe.MinimizeBtn);
  EXPECT_TRUE(probe.IsMinimized());
  w.showNormal();
  EXPECT_FALSE(probe.IsMinimized());
}

TEST_F(WindowTest, AnErrorInAHandlerIsShownAndTheWindowRunsOn) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  // A handler that reads a number from a field, as the areas' handlers do.
  auto* button = new TImageEx(&w);
  button->resize(20, 20);
  MakeEveryPage(w);
  TSpinEdit* field = probe.SpinEdit_bstopauto;
  QObject::connect(button, &TImageEx::OnClick, &w, [field] { field->setValue(field->Value() + 1); });
  field->setText("");
  dialogs.shown.clear();
  Click(button);
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>({"'' is not a valid integer value"}));

  QTimer::singleShot(0, &w, [] { throw nv::Error("Failed to set data for 'NvSetInfo'"); });
  QTest::qWait(50);
  EXPECT_EQ(dialogs.Texts("error").back(), "Failed to set data for 'NvSetInfo'");

  Click(probe.SpeedButton_full);
  EXPECT_EQ(probe.Notebook1->activePage(), "Processes");
  field->setText("4");
  Click(button);
  EXPECT_EQ(field->text(), "5");
  EXPECT_EQ(dialogs.Texts("error").size(), 2u);
}

}  // namespace
