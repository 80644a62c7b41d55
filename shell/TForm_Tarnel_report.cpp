#include <QTreeWidget>

#include "engine/process_list.h"
#include "monitor/process_report.h"
#include "shell/TForm_Tarnel.h"
#include "shell/TForm_Tarnel_layout_processes.h"
#include "shell/process_report_list.h"
#include "shell/widgets/TNotebook.h"
#include "shell/widgets/TStatusBar.h"

bool TForm_Tarnel::ProcessReportCanBeSeen() const {
  return isVisible() && !isMinimized() && Notebook1->page(QStringLiteral("Processes"))->isVisibleTo(this);
}

void TForm_Tarnel::RefreshProcessReport() {
  if (ProcessReportCanBeSeen()) {
    UpdateProcessReport();
    return;
  }
  // Nothing is kept for walks that will not come while the report stays out of sight.
  if (!ProcessReportBehind) svc.processes.ReleaseKept();
  ProcessReportBehind = true;
}

void TForm_Tarnel::CatchUpProcessReport() {
  if (ProcessReportBehind && ProcessReportCanBeSeen()) UpdateProcessReport();
}

void TForm_Tarnel::UpdateProcessReport() {
  if (!ListView_ProcessReport) {
    ListView_ProcessReport = nv::layout::BuildProcessReport(Notebook1->page(QStringLiteral("Processes")));
    ListView_ProcessReport->show();
    ProcessReportRows = new nv::ProcessReportList(ListView_ProcessReport);
  }
  ProcessReportBehind = false;
  nv::TProcessList snapshot;
  nv::SnapshotProcesses(svc.processes, snapshot);
  const int rows = ProcessReportRows->Update(snapshot);
  StatusBar_State->setPanelText(0, QString::fromStdString(nv::ProcessCountText(rows)));
  nv::CloseProcessHandles(snapshot);
}
