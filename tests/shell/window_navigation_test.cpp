// Tabs, hover pictures, dragging and the corner buttons of the main window.
#include <algorithm>
#include <cstdlib>

#include "platform/error.h"
#include "shell/PublicFunctionUnit.h"
#include "shell/widgets/TLinkLabel.h"
#include "shell/widgets/TNotebook.h"
#include "window_fixture.h"
#include "window_probe.h"

namespace {

using nv::test::WindowFixture;
using NavigationTest = WindowFixture;

QStringList TabPictures(TForm_Tarnel& w) {
  TForm_TarnelProbe probe(w);
  return {probe.SpeedButton_UsageGraph->pictureName, probe.SpeedButton_full->pictureName, probe.SpeedButton_Set->pictureName};
}

TEST_F(NavigationTest, EachTabSelectsItsPageAndMarksOnlyItselfSelected) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  struct Case {
    TImageEx* tab;
    QString page;
    QStringList pictures;
  };
  const Case cases[] = {
      {probe.SpeedButton_full, "Processes", {"SpeedButton_UsageGraph1", "SpeedButton_full", "SpeedButton_Set1"}},
      {probe.SpeedButton_UsageGraph, "USAGEGROUP", {"SpeedButton_UsageGraph", "SpeedButton_full1", "SpeedButton_Set1"}},
      {probe.SpeedButton_Set, "Settings", {"SpeedButton_UsageGraph1", "SpeedButton_full1", "SpeedButton_Set"}},
      // the tab of the current page reloads the same pictures and keeps the page
      {probe.SpeedButton_Set, "Settings", {"SpeedButton_UsageGraph1", "SpeedButton_full1", "SpeedButton_Set"}},
  };
  for (const Case& c : cases) {
    Click(c.tab);
    EXPECT_EQ(probe.Notebook1->activePage(), c.page);
    EXPECT_EQ(TabPictures(w), c.pictures) << c.page.toStdString();
  }
  EXPECT_EQ(dialogs.shown.size(), 0u);
}

TEST_F(NavigationTest, PagesAreFoundWithoutRegardToCaseAndAnUnknownNameKeepsThePage) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  EXPECT_EQ(probe.Notebook1->activePage(), "USAGEGROUP");  // what the first showing shows
  probe.Notebook1->setActivePage("overallopimize");
  EXPECT_EQ(probe.Notebook1->activePage(), "OverallOpimize");
  probe.Notebook1->setActivePage("NoSuchPage");
  EXPECT_EQ(probe.Notebook1->activePage(), "OverallOpimize");
}

TEST_F(NavigationTest, HoverShowsTheHoverPictureAndLeavingTheNormalOne) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  MakeEveryPage(w);
  struct Case {
    TImageEx* button;
    int tag;
    QString hover, normal;
  };
  const Case cases[] = {
      {probe.SpeedButton_RunAuto, 0, "SpeedButton_RunAuto", "SpeedButton_RunAuto1"},
      {probe.SpeedButton_RunAuto, 3, "SpeedButton_RunAuto2", "SpeedButton_RunAuto3"},
      {probe.SpeedButton_RunAuto2, 0, "SpeedButton_RunAuto", "SpeedButton_RunAuto1"},
      {probe.SpeedButton_RunAuto2, 1, "SpeedButton_RunAuto2", "SpeedButton_RunAuto3"},
      {probe.SpeedButton_StartFull, 0, "SpeedButton_StartFull", "SpeedButton_StartFull1"},
      {probe.Button_EmptyClipboard, 0, "Button_EmptyClipboard", "Button_EmptyClipboard1"},
      {probe.SpeedButton_SetVM, 0, "SpeedButton_SetVM", "SpeedButton_SetVM1"},
      {probe.SpeedButton_Defaykt, 0, "SpeedButton_Defaykt", "SpeedButton_Defaykt1"},
      {probe.SpeedButton_SaveSet, 0, "SpeedButton_SaveSet", "SpeedButton_SaveSet1"},
  };
  for (const Case& c : cases) {
    c.button->Tag = c.tag;
    Enter(c.button);
    EXPECT_EQ(c.button->pictureName, c.hover);
    const QImage hover = c.button->picture();
    Leave(c.button);
    EXPECT_EQ(c.button->pictureName, c.normal);
    EXPECT_NE(c.button->picture(), hover) << c.normal.toStdString();
  }
}

TEST_F(NavigationTest, HoverHandlersIgnoreOtherSenders) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  const QString before = probe.SpeedButton_full->pictureName;
  w.SpeedButton_RunAutoMouseEnter(probe.SpeedButton_full);
  w.SpeedButton_RunAutoMouseLeave(nullptr);
  w.CloseBtnMouseEnter(probe.SpeedButton_full);
  EXPECT_EQ(probe.SpeedButton_full->pictureName, before);
}

TEST_F(NavigationTest, CornerButtonsTakeTheirPicturesFromTheImageList) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  EXPECT_EQ(probe.MinimizeBtn->picture(), probe.MinImgList()[0]);
  EXPECT_EQ(probe.CloseBtn->picture(), probe.MinImgList()[2]);
  Enter(probe.MinimizeBtn);
  Enter(probe.CloseBtn);
  EXPECT_EQ(probe.MinimizeBtn->picture(), probe.MinImgList()[1]);
  EXPECT_EQ(probe.CloseBtn->picture(), probe.MinImgList()[3]);
  Leave(probe.MinimizeBtn);
  Leave(probe.CloseBtn);
  EXPECT_EQ(probe.MinimizeBtn->picture(), probe.MinImgList()[0]);
  EXPECT_EQ(probe.CloseBtn->picture(), probe.MinImgList()[2]);
  EXPECT_EQ(probe.MinimizeBtn->size(), QSize(24, 14));  // the 25-pixel picture does not widen it
  for (const QImage& picture : probe.MinImgList()) EXPECT_EQ(picture.size(), QSize(25, 14));
}

TEST_F(NavigationTest, DraggingMovesOnlyWithTheLeftButtonWhileAnyPressSetsTheOrigin) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  ASSERT_EQ(w.pos(), QPoint(279, 233));
  w.Image1MouseDown(Qt::RightButton, 10, 20);
  EXPECT_EQ(std::pair(probe.DragOriginX(), probe.DragOriginY()), std::pair(10, 20));
  w.Image1MouseMove(Qt::RightButton, 50, 60);
  w.Image1MouseMove(Qt::NoButton, 50, 60);
  EXPECT_EQ(w.pos(), QPoint(279, 233));
  w.Image1MouseMove(Qt::LeftButton | Qt::RightButton, 15, 12);
  EXPECT_EQ(w.pos(), QPoint(284, 225));

  // The same through real mouse events on the title picture.
  QTest::mousePress(probe.Image1, Qt::LeftButton, {}, QPoint(100, 30));
  EXPECT_EQ(std::pair(probe.DragOriginX(), probe.DragOriginY()), std::pair(100, 30));
  QMouseEvent move(QEvent::MouseMove, QPointF(90, 45), QPointF(90, 45), Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(probe.Image1, &move);
  EXPECT_EQ(w.pos(), QPoint(274, 240));
}

TEST_F(NavigationTest, LinksUnderlineUnderThePointer) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  for (TLinkLabel* link : {probe.HelpBtn, probe.AboutBtn}) {
    Enter(link);
    EXPECT_TRUE(link->font().underline());
    Leave(link);
    EXPECT_FALSE(link->font().underline());
    EXPECT_FALSE(link->font().bold() || link->font().italic());
  }
}

TEST(PictureResources, EveryPictureIsThereAtItsSizeAndNamesIgnoreCase) {
  nv::test::ScriptedDialogs dialogs;
  nv::test::TestApplication(dialogs);
  InitNorvaneResources();
  const std::pair<QSize, QStringList> sizes[] = {
      {{140, 40},
       {"SpeedButton_UsageGraph", "SpeedButton_UsageGraph1", "SpeedButton_full", "SpeedButton_full1",
        "SpeedButton_Set", "SpeedButton_Set1"}},
      {{262, 39}, {"SpeedButton_RunAuto", "SpeedButton_RunAuto1", "SpeedButton_RunAuto2", "SpeedButton_RunAuto3"}},
      {{125, 23}, {"SpeedButton_StartFull", "SpeedButton_StartFull1", "Button_EmptyClipboard", "Button_EmptyClipboard1"}},
      {{179, 31},
       {"SpeedButton_SetVM", "SpeedButton_SetVM1", "SpeedButton_Defaykt", "SpeedButton_Defaykt1",
        "SpeedButton_SaveSet", "SpeedButton_SaveSet1"}},
      {{710, 92}, {"Title"}},
      {{710, 35}, {"Bottom"}},
      {{12, 419}, {"BorderLeft", "BorderRight"}},
      {{493, 350}, {"About"}},
      {{95, 25}, {"OK", "OK1"}},
      {{350, 80}, {"LiveUpdate"}},
  };
  for (const auto& [size, names] : sizes)
    for (const QString& name : names) EXPECT_EQ(LoadResourcePicture(name).size(), size) << name.toStdString();
  EXPECT_EQ(LoadResourcePicture("speedbutton_runauto1"), LoadResourcePicture("SPEEDBUTTON_RUNAUTO1"));
}

// A hover picture must be told apart from its normal one: it is the lighter of the two.
TEST(PictureResources, HoverAndSelectedPicturesAreLighter) {
  nv::test::ScriptedDialogs dialogs;
  nv::test::TestApplication(dialogs);
  InitNorvaneResources();
  const auto lightness = [](const QString& name) {
    const QImage p = LoadResourcePicture(name);
    double sum = 0;
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x) sum += QColor(p.pixel(x, y)).lightnessF();
    return sum / (p.width() * p.height());
  };
  const std::pair<const char*, const char*> pairs[] = {
      {"SpeedButton_RunAuto", "SpeedButton_RunAuto1"},     {"SpeedButton_RunAuto2", "SpeedButton_RunAuto3"},
      {"SpeedButton_StartFull", "SpeedButton_StartFull1"}, {"Button_EmptyClipboard", "Button_EmptyClipboard1"},
      {"SpeedButton_SetVM", "SpeedButton_SetVM1"},         {"SpeedButton_Defaykt", "SpeedButton_Defaykt1"},
      {"SpeedButton_SaveSet", "SpeedButton_SaveSet1"},     {"SpeedButton_UsageGraph", "SpeedButton_UsageGraph1"},
      {"SpeedButton_full", "SpeedButton_full1"},           {"SpeedButton_Set", "SpeedButton_Set1"},
      {"OK1", "OK"},
  };
  for (const auto& [lighter, darker] : pairs) EXPECT_GT(lightness(lighter), lightness(darker) + 0.03) << lighter;
}

// Pictures are decoded in the window's own 32-bit format, colours in their places: compared
// with Qt's JPEG reader, which decodes the same file its own way.
TEST(PictureResources, DecodedInTheScreenFormatWithTheirOwnColours) {
  nv::test::ScriptedDialogs dialogs;
  nv::test::TestApplication(dialogs);
  InitNorvaneResources();
  for (const QString name : {"Title", "SpeedButton_RunAuto", "Button_EmptyClipboard1"}) {
    const QImage ours = LoadResourcePicture(name);
    const QImage qts = QImage(":/JPG/" + name.toUpper(), "JPG").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(qts.isNull()) << "Qt's JPEG reader is missing";
    EXPECT_EQ(ours.format(), QImage::Format_RGB32) << name.toStdString();
    ASSERT_EQ(ours.size(), qts.size()) << name.toStdString();
    int worst = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) {
        const QRgb a = ours.pixel(x, y), b = qts.pixel(x, y);
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
      }
    EXPECT_LE(worst, 2) << name.toStdString();
  }
}

TEST_F(NavigationTest, AMissingPictureLeavesTheOldOne) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  MakeEveryPage(w);
  TImageEx* b = probe.SpeedButton_StartFull;
  const QImage before = b->picture();
  try {
    LoadButtonPicture(b, "SpeedButton_NoSuchPicture");
    FAIL() << "no error for a missing picture";
  } catch (const nv::Error& e) {
    EXPECT_STREQ(e.what(), "Resource SpeedButton_NoSuchPicture not found");
  }
  EXPECT_EQ(b->picture(), before);
  EXPECT_EQ(b->pictureName, "SpeedButton_StartFull1");
}

}  // namespace
