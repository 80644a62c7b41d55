#include "shell/process_report_page.h"

#include <QTreeWidget>

#include "engine/process_list.h"
#include "monitor/process_report.h"
#include "shell/TForm_Tarnel.h"
#include "shell/page_layouts.h"
#include "shell/process_report_list.h"
#include "shell/widgets/TNotebook.h"
#include "shell/widgets/TStatusBar.h"

namespace nv {

bool ProcessReportPage::CanBeSeen() const {
  // Asked by name, the page would be made: the selected page's name tells without making it.
  return w_.isVisible() && !w_.isMinimized() &&
         w_.Notebook1->activePage().compare(QStringLiteral("Processes"), Qt::CaseInsensitive) == 0;
}

void ProcessReportPage::Refresh() {
  if (CanBeSeen()) {
    Update();
    return;
  }
  // Nothing is kept for walks that will not come while the report stays out of sight.
  if (!behind_) w_.svc.processes.ReleaseKept();
  behind_ = true;
}

void ProcessReportPage::CatchUp() {
  if (behind_ && CanBeSeen()) Update();
}

void ProcessReportPage::Update() {
  if (!w_.ListView_ProcessReport) {
    w_.ListView_ProcessReport = layout::BuildProcessReport(w_.Notebook1->page(QStringLiteral("Processes")));
    w_.ListView_ProcessReport->show();
    rows_ = new ProcessReportList(w_.ListView_ProcessReport);
  }
  behind_ = false;
  TProcessList snapshot;
  SnapshotProcesses(w_.svc.processes, snapshot);
  const int rows = rows_->Update(snapshot);
  w_.StatusBar_State->setPanelText(0, QString::fromStdString(ProcessCountText(rows)));
  CloseProcessHandles(snapshot);
}

}  // namespace nv
