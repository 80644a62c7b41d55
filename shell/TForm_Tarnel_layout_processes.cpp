#include <QHeaderView>
#include <QLabel>
#include <QSlider>
#include <QTreeWidget>

#include "engine/auto_optimization.h"
#include "shell/TForm_Tarnel.h"
#include "shell/page_layouts.h"
#include "shell/layout_helpers.h"
#include "shell/widgets/TGauge.h"
#include "shell/widgets/flat_header.h"
#include "shell/widgets/TImageEx.h"

namespace nv::layout {

namespace {

struct Column {
  const char* caption;
  int width;
  Qt::Alignment alignment;
};
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr Column kReportColumns[] = {
    {"Process name", 110, kLeft}, {"PID", 50, kRight},          {"Mem usage", 70, kRight},
    {"Peak mem usage", 70, kRight}, {"Page error", 70, kRight}, {"Base Priority", 60, kLeft},
    {"ParentPID", 60, kLeft},     {"Exe file name", 200, kLeft},
};

constexpr nv::FlatHeader::Colors kHeaderColors{.field = 0xeaf5f7, .text = 0x0b2545, .divider = 0xc9e0e5, .rule = 0x26c4b6};
constexpr TextLook kLevelLook{0x0e7680, true, 12};
constexpr TextLook kBusyLook{0xc0392b, true};

// The column widths were set for a narrow system font. A condensed face, a pixel smaller than
// the page's text and set a little tighter, keeps every caption whole: "Peak mem usage" is the
// widest for its column.
QFont HeaderFont() {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Nimbus Sans Narrow"),
                    QStringLiteral("Liberation Sans Narrow")});
  font.setPixelSize(9);
  font.setLetterSpacing(QFont::PercentageSpacing, 96);
  return font;
}

}  // namespace

QTreeWidget* BuildProcessReport(QWidget* page) {
  auto* list = Named(new QTreeWidget(page), "ListView_ProcessReport");
  list->setGeometry(18, 128, 649, 215);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setHeader(new nv::FlatHeader(kHeaderColors, list));
  list->header()->setFont(DesktopFont());
  list->setColumnCount(int(std::size(kReportColumns)));
  list->header()->setSectionsClickable(false);
  list->header()->setSectionsMovable(false);
  list->header()->setStretchLastSection(false);
  QTreeWidgetItem* header = list->headerItem();
  for (int i = 0; i < int(std::size(kReportColumns)); ++i) {
    header->setText(i, QString::fromLatin1(kReportColumns[i].caption));
    header->setFont(i, HeaderFont());
    header->setTextAlignment(i, kReportColumns[i].alignment);
    list->setColumnWidth(i, kReportColumns[i].width);
  }
  // The selection stays as visible as with the focus when the list loses it.
  QPalette palette = list->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  palette.setColor(QPalette::Base, Qt::white);
  list->setPalette(palette);
  return list;
}

QWidget* BuildProcessesPage(TForm_Tarnel& w) {
  auto* page = new QWidget;

  Heading(page, QStringLiteral("Overall Optimization"), 16, 10, 654);
  w.TrackBar_OverallOption = Named(new QSlider(Qt::Horizontal, page), "TrackBar_OverallOption");
  w.TrackBar_OverallOption->setGeometry(16, 36, 240, 24);
  w.TrackBar_OverallOption->setRange(1, 5);
  w.TrackBar_OverallOption->setValue(1);
  w.TrackBar_OverallOption->setPageStep(1);
  w.TrackBar_OverallOption->setTickPosition(QSlider::TicksBelow);
  w.TrackBar_OverallOption->setTickInterval(1);
  Label(page, QStringLiteral("Max. Speed"), 16, 62, 0, &kHintLook);
  auto* space = Label(page, QStringLiteral("Max. Space"), 176, 62, 80, &kHintLook);
  space->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  w.Label_OptimizeLavel = Named(Label(page, QStringLiteral("Level 1"), 276, 38, 120, &kLevelLook),
                                "Label_OptimizeLavel");
  w.Label_overalloptimizing = Named(Label(page, QStringLiteral("Memory overall optimizing..."), 276, 62, 240, &kBusyLook),
                                    "Label_overalloptimizing");
  w.Label_overalloptimizing->hide();
  w.SpeedButton_StartFull = PictureButton(page, "SpeedButton_StartFull", QStringLiteral("SpeedButton_StartFull1"), 545, 37);
  w.Gauge_OvarallOptimize = Named(new TGauge(TGauge::Kind::Horizontal, QColor(0, 0, 255), QColor(192, 192, 192), page),
                                  "Gauge_OvarallOptimize");
  w.Gauge_OvarallOptimize->setGeometry(16, 84, 654, 12);
  w.Gauge_OvarallOptimize->hide();

  Heading(page, QStringLiteral("Process Report"), 16, 104, 651);
  w.Label_TrimResult = Named(Label(page, QString(), 18, 346, 649, &kHintLook), "Label_TrimResult");
  Label(page, QStringLiteral("The list follows every refresh of the system status."), 18, 374, 360, &kHintLook);
  w.SpeedButton_RunAuto2 =
      PictureButton(page, "SpeedButton_RunAuto2", QString::fromLatin1(nv::auto_texts::kStartPicture), 405, 362);
  return page;
}

// The page that navigation never selects; the status refresh keeps its figures all the same.
QWidget* BuildOverallPage(TForm_Tarnel& w) {
  auto* page = new QWidget;
  const auto vertical = [page](const char* name, int x) {
    auto* gauge = Named(new TGauge(TGauge::Kind::Vertical, QColor(0, 0, 255), Qt::white, page), name);
    gauge->setGeometry(x, 24, 25, 281);
    return gauge;
  };
  w.Gauge_Cpu2 = vertical("Gauge_Cpu2", 60);
  Label(page, QStringLiteral("CPU usage"), 46, 312);
  w.Gauge_Mem2 = vertical("Gauge_Mem2", 172);
  Label(page, QStringLiteral("Memory usage"), 150, 312);
  w.Label_MemusageNum2 = Named(Label(page, QStringLiteral("512M"), 110, 330, 150), "Label_MemusageNum2");
  w.Label_MemusageNum2->setAlignment(Qt::AlignCenter);

  const struct {
    const char* caption;
    const char* name;
    QLabel** label;
  } figures[] = {
      {"Total physical memory:", "LTotalRAM", &w.LTotalRAM},
      {"Total available physical memory:", "LFreeRAM", &w.LFreeRAM},
      {"Total paging file size:", "LTotalPage", &w.LTotalPage},
      {"Total available paging file memory:", "LPageFree", &w.LPageFree},
      {"Total virtual memory:", "LTotalVirtual", &w.LTotalVirtual},
      {"Total available virtual memory:", "LFreeVirtual", &w.LFreeVirtual},
  };
  int y = 40;
  for (const auto& f : figures) {
    Label(page, QString::fromLatin1(f.caption), 280, y);
    *f.label = Named(Label(page, QString::fromLatin1(f.name), 480, y, 170, &kFigureLook), f.name);
    (*f.label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    y += 30;
  }
  return page;
}

}  // namespace nv::layout
