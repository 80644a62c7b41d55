#include "engine/process_list.h"
#include "monitor/process_report.h"
#include "shell/TForm_Tarnel.h"
#include "shell/process_report_list.h"
#include "shell/widgets/TStatusBar.h"

void TForm_Tarnel::UpdateProcessReport() {
  nv::TProcessList snapshot;
  nv::SnapshotProcesses(svc.processes, snapshot);
  const int rows = ProcessReportRows->Update(snapshot);
  StatusBar_State->setPanelText(0, QString::fromStdString(nv::ProcessCountText(rows)));
  nv::CloseProcessHandles(svc.processes, snapshot);
}
