#include <QLabel>

#include "engine/auto_optimization.h"
#include "shell/TForm_Tarnel.h"
#include "shell/page_layouts.h"
#include "shell/layout_helpers.h"
#include "shell/wayland_session.h"
#include "shell/widgets/TGauge.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TLineChart.h"

namespace nv::layout {
namespace {

// What auto-optimization does, beside its button. On a Wayland session no program may learn
// which window is in front, so the program the user works in is not told apart from the rest.
QString AutoOptimizationHint() {
  QString hint = QStringLiteral(
      "At the interval set under Settings, while free memory runs low, pages out idle programs and marks busy "
      "ones' memory to go first.");
  if (OnWaylandSession()) hint += QStringLiteral(" On Wayland the window in front cannot be told apart.");
  return hint;
}

TGauge* UsageGauge(QWidget* page, const char* name, int y) {
  auto* gauge = Named(new TGauge(TGauge::Kind::Horizontal, QColor(0, 0, 255), QColor(192, 192, 192), page), name);
  gauge->setGeometry(16, y, 313, 12);
  return gauge;
}

// A "Total / Free / Usage" block of figures under its heading.
void FigureBlock(QWidget* page, const QString& heading, int y, QLabel*& total, QLabel*& free, QLabel*& usage,
                 const char* totalName, const char* freeName, const char* usageName) {
  Heading(page, heading, 514, y, 156);
  const char* names[] = {totalName, freeName, usageName};
  const QString captions[] = {QStringLiteral("Total:"), QStringLiteral("Free:"), QStringLiteral("Usage:")};
  QLabel** figures[] = {&total, &free, &usage};
  for (int i = 0; i < 3; ++i) {
    Label(page, captions[i], 518, y + 26 + 18 * i);
    *figures[i] = Named(Label(page, captions[i], 572, y + 26 + 18 * i, 96, &kFigureLook), names[i]);
  }
}

}  // namespace

QWidget* BuildUsagePage(TForm_Tarnel& w) {
  auto* page = new QWidget;

  Heading(page, QStringLiteral("CPU Usage History"), 16, 10, 481);
  w.Chart_CPUs = Named(new TLineChart(page), "Chart_CPUs");
  w.Chart_CPUs->setGeometry(16, 36, 481, 64);
  w.Label_CPUusage = Named(Label(w.Chart_CPUs, QStringLiteral("0%"), 440, 2, 38), "Label_CPUusage");
  w.Label_CPUusage->hide();

  Heading(page, QStringLiteral("Memory Usage History"), 16, 118, 481);
  w.Chart_PhyMem = Named(new TLineChart(page), "Chart_PhyMem");
  w.Chart_PhyMem->setGeometry(16, 144, 481, 64);
  w.Label_PMu = Named(Label(w.Chart_PhyMem, QStringLiteral("0 MB"), 400, 2, 78), "Label_PMu");
  w.Label_VMu = Named(Label(w.Chart_PhyMem, QStringLiteral("0 MB"), 400, 20, 78), "Label_VMu");
  w.Label_PMu->hide();
  w.Label_VMu->hide();

  FigureBlock(page, QStringLiteral("Physical Memory"), 10, w.Label_pmTotal, w.Label_pmFree, w.Label_pmUsage,
              "Label_pmTotal", "Label_pmFree", "Label_pmUsage");
  FigureBlock(page, QStringLiteral("Virtual Memory"), 118, w.Label_vmTotal, w.Label_vmFree, w.Label_vmUsage,
              "Label_vmTotal", "Label_vmFree", "Label_vmUsage");

  Heading(page, QStringLiteral("Current Usage"), 16, 236, 313);
  w.Gauge_CPU = UsageGauge(page, "Gauge_CPU", 266);
  Label(page, QStringLiteral("Current CPU Usage"), 16, 280);
  w.Gauge_Mem = UsageGauge(page, "Gauge_Mem", 310);
  Label(page, QStringLiteral("Current Physical Memory Usage"), 16, 324);
  w.Label_MemusageNum = Named(Label(page, QStringLiteral("512M"), 196, 324, 133), "Label_MemusageNum");
  w.Label_MemusageNum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  w.Gauge_VM = UsageGauge(page, "Gauge_VM", 354);
  Label(page, QStringLiteral("Current Virtual Memory Usage"), 16, 368);
  w.Label_vmnum = Named(Label(page, QStringLiteral("512M"), 196, 368, 133), "Label_vmnum");
  w.Label_vmnum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  Heading(page, QStringLiteral("Auto Optimization"), 408, 236, 262);
  auto* hint = Label(page, AutoOptimizationHint(), 408, 266, 262, &kHintLook);
  hint->setWordWrap(true);
  hint->resize(262, hint->heightForWidth(262));
  w.SpeedButton_RunAuto =
      PictureButton(page, "SpeedButton_RunAuto", QString::fromLatin1(nv::auto_texts::kStartPicture), 408, 340);
  return page;
}

}  // namespace nv::layout
