// What the window and the update notice look like, checked on their rendered pixels.
#include <QHeaderView>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTreeWidget>

#include "shell/PublicFunctionUnit.h"
#include "shell/TShowLiveUpdateForm.h"
#include "shell/widgets/TImageEx.h"
#include "window_fixture.h"

namespace nv::test {
namespace {

using LookTest = WindowFixture;

// The first and last columns, within [left, right] and [top, bottom], that hold a dark pixel
// (text); {-1, -1} when none does.
std::pair<int, int> InkColumns(const QImage& image, int left, int right, int top, int bottom) {
  std::pair<int, int> span{-1, -1};
  for (int x = left; x <= right; ++x)
    for (int y = top; y <= bottom; ++y)
      if (qGray(image.pixel(x, y)) < 110) {
        if (span.first < 0) span.first = x;
        span.second = x;
        break;
      }
  return span;
}

int InkWidth(const std::pair<int, int>& span) { return span.first < 0 ? 0 : span.second - span.first + 1; }

TEST_F(LookTest, EveryCaptionOfTheProcessReportShowsWhole) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  w.SpeedButton_fullClick();
  QHeaderView* header = probe.ListView_ProcessReport->header();
  const QImage shown = header->grab().toImage();
  for (int column = 0; column < header->count(); ++column) {
    const QString caption = probe.ListView_ProcessReport->headerItem()->text(column);
    // The caption drawn alone, with room to spare, in the header's font and colours.
    QImage alone(300, header->height(), QImage::Format_RGB32);
    alone.fill(QColor(0xea, 0xf5, 0xf7));
    {
      QPainter p(&alone);
      p.setFont(probe.ListView_ProcessReport->headerItem()->font(column));
      p.setPen(QColor(0x0b, 0x25, 0x45));
      p.drawText(alone.rect().adjusted(20, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
    }
    const int left = header->sectionViewportPosition(column);
    const int right = std::min(left + header->sectionSize(column) - 2, shown.width() - 1);
    const auto inSection = InkColumns(shown, left, right, 0, header->height() - 2);
    EXPECT_NEAR(InkWidth(inSection), InkWidth(InkColumns(alone, 0, 299, 0, alone.height() - 1)), 1)
        << caption.toStdString();
    EXPECT_GT(inSection.first, left) << caption.toStdString() << " touches the left edge of its section";
  }
}

// The settings page opens scrolled to the top: the clipboard button, the lowest control in
// view, shows whole, down to its lower rim.
TEST_F(LookTest, CleanClipboardButtonShowsWholeAboveTheEdgeOfTheSettingsPage) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  w.SpeedButton_SetClick();
  auto* scroll = w.findChild<QScrollArea*>("ScrollBox_Settings");
  ASSERT_NE(scroll, nullptr);
  ASSERT_EQ(scroll->verticalScrollBar()->value(), 0);
  QWidget* viewport = scroll->viewport();
  const QRect button(probe.Button_EmptyClipboard->mapTo(viewport, QPoint(0, 0)), probe.Button_EmptyClipboard->size());
  ASSERT_TRUE(viewport->rect().intersects(button)) << "the button is not in view at all";
  const QImage shown = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage picture = probe.Button_EmptyClipboard->grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (int row : {0, picture.height() - 1}) {
    ASSERT_LT(button.top() + row, shown.height()) << "row " << row << " of the button is cut off";
    for (int x = 0; x < picture.width(); ++x)
      ASSERT_EQ(shown.pixel(button.left() + x, button.top() + row), picture.pixel(x, row)) << "row " << row << ", x " << x;
  }
}

// The rounded corners of the minimize and close buttons show the title picture around them,
// not a dark ground of their own, in either look.
TEST_F(LookTest, CornerButtonsShowTheTitleAroundTheirCorners) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  const QImage& title = probe.Image1->picture();
  for (TImageEx* button : {probe.MinimizeBtn, probe.CloseBtn}) {
    for (bool hover : {false, true}) {
      hover ? Enter(button) : Leave(button);
      const QImage shown = w.grab(button->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
      const QPoint at = button->pos();
      for (QPoint corner : {QPoint(0, shown.height() - 1), QPoint(shown.width() - 1, shown.height() - 1)})
        EXPECT_EQ(QColor(shown.pixel(corner)), QColor(title.pixel(at + corner)))
            << button->objectName().toStdString() << (hover ? " under the mouse" : "") << " at " << corner.x();
    }
  }
}

// The notice's sentence keeps the same margin to the right edge as to the left, whatever face
// stands in for the designed one.
TEST_F(LookTest, UpdateNoticeTextKeepsItsMarginOnBothSides) {
  TShowLiveUpdateForm notice;
  notice.show();
  const QImage shown = notice.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRect text(notice.Label1->pos(), notice.Label1->size());
  const auto ink = InkColumns(shown, 0, shown.width() - 1, text.top(), text.bottom());
  ASSERT_GE(ink.first, 0) << "no text";
  EXPECT_GE(ink.first, 12);
  EXPECT_LE(ink.second, shown.width() - 1 - 12);
}

}  // namespace
}  // namespace nv::test
