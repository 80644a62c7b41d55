#pragma once
#include <QIcon>
#include <QImage>
#include <QSystemTrayIcon>
#include <array>

#include "shell/TForm_Tarnel.h"
#include "shell/dashboard_page.h"
#include "shell/optimization_page.h"
#include "shell/process_report_page.h"
#include "shell/settings_page.h"
#include "shell/tray_integration.h"

// Reaches the state of the main window and of its tray that only tests read: the window and
// the tray name it as their friend, and nothing but the tests includes it.
class TForm_TarnelProbe {
 public:
  explicit TForm_TarnelProbe(TForm_Tarnel& w) : w_(w) {}

  int& DragOriginX() { return w_.DragOriginX; }
  int& DragOriginY() { return w_.DragOriginY; }
  bool& IsMinimized() { return w_.IsMinimized; }
  std::array<QImage, 4>& MinImgList() { return w_.MinImgList; }
  double& CpuUsage() { return w_.Dashboard->cpuUsage_; }
  void PrepareCharts() { w_.Dashboard->PrepareCharts(); }
  bool ProcessReportCanBeSeen() const { return w_.Report->CanBeSeen(); }
  bool& AutoDotsPhase() { return w_.Optimization->autoDotsPhase_; }
  QTimer* TrimWatchTimer() { return w_.Optimization->trimWatch_; }
  void WatchTrim() { w_.Optimization->WatchTick(); }
  nv::TrimPass& AutoTrim() { return w_.Optimization->autoTrim_; }
  nv::OptimizationPage& Optimization() { return *w_.Optimization; }
  nv::HotKeyTable& CurrentHotKeys() { return w_.Settings->current_.HotKeys; }
  nv::HotKeyTable& PendingHotKeys() { return w_.Settings->pendingHotKeys_; }
  const nv::TSetInfo& Settings() const { return w_.Settings->Current(); }
  bool& FirstShowDone() { return w_.FirstShowDone; }

  QSystemTrayIcon* TrayIcon() { return w_.Tray->TrayIcon; }
  QIcon DrawTrayIcon() { return w_.Tray->DrawTrayIcon(w_.svc.memory.GlobalMemoryStatusEx().value_or(nv::MemoryStatusEx{})); }

 private:
  TForm_Tarnel& w_;
};
