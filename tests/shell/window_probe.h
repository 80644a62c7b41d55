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

// Reaches the controls and the state of the main window and of its tray, which are private:
// the window and the tray name it as their friend, and nothing but the tests and benchmarks
// includes it. A control is reached by its name, as the window's own code does:
// `TForm_TarnelProbe(w).SpinEdit_Time->setValue(3)`.
class TForm_TarnelProbe {
  TForm_Tarnel& w_;  // first: the references below are bound through it

 public:
  explicit TForm_TarnelProbe(TForm_Tarnel& w) : w_(w) {}

  nv::Services& svc = w_.svc;

  // ---- window, navigation, picture buttons ----
  TImageEx*& Image1 = w_.Image1;
  TImageEx*& SpeedButton_UsageGraph = w_.SpeedButton_UsageGraph;
  TImageEx*& SpeedButton_full = w_.SpeedButton_full;
  TImageEx*& SpeedButton_Set = w_.SpeedButton_Set;
  TImageEx*& MinimizeBtn = w_.MinimizeBtn;
  TImageEx*& CloseBtn = w_.CloseBtn;
  QLabel*& Label_AutoOptimize = w_.Label_AutoOptimize;
  TImageEx*& Image2 = w_.Image2;
  TImageEx*& Image12 = w_.Image12;
  TNotebook*& Notebook1 = w_.Notebook1;
  TImageEx*& Image18 = w_.Image18;
  TLinkLabel*& HelpBtn = w_.HelpBtn;
  TLinkLabel*& AboutBtn = w_.AboutBtn;
  TStatusBar*& StatusBar_State = w_.StatusBar_State;
  bool& StartRefused = w_.StartRefused;

  // ---- usage page and the hidden overall page ----
  TGauge*& Gauge_CPU = w_.Gauge_CPU;
  TGauge*& Gauge_VM = w_.Gauge_VM;
  TGauge*& Gauge_Mem = w_.Gauge_Mem;
  TLineChart*& Chart_CPUs = w_.Chart_CPUs;
  TLineChart*& Chart_PhyMem = w_.Chart_PhyMem;
  QLabel*& Label_vmTotal = w_.Label_vmTotal;
  QLabel*& Label_vmFree = w_.Label_vmFree;
  QLabel*& Label_vmUsage = w_.Label_vmUsage;
  QLabel*& Label_pmTotal = w_.Label_pmTotal;
  QLabel*& Label_pmFree = w_.Label_pmFree;
  QLabel*& Label_pmUsage = w_.Label_pmUsage;
  QLabel*& Label_vmnum = w_.Label_vmnum;
  QLabel*& Label_MemusageNum = w_.Label_MemusageNum;
  QLabel*& Label_CPUusage = w_.Label_CPUusage;
  QLabel*& Label_PMu = w_.Label_PMu;
  QLabel*& Label_VMu = w_.Label_VMu;
  TImageEx*& SpeedButton_RunAuto = w_.SpeedButton_RunAuto;
  TGauge*& Gauge_Cpu2 = w_.Gauge_Cpu2;
  TGauge*& Gauge_Mem2 = w_.Gauge_Mem2;
  QLabel*& Label_MemusageNum2 = w_.Label_MemusageNum2;
  QLabel*& LTotalRAM = w_.LTotalRAM;
  QLabel*& LFreeRAM = w_.LFreeRAM;
  QLabel*& LTotalPage = w_.LTotalPage;
  QLabel*& LPageFree = w_.LPageFree;
  QLabel*& LTotalVirtual = w_.LTotalVirtual;
  QLabel*& LFreeVirtual = w_.LFreeVirtual;
  QTimer*& Timer_GetProcessInfo = w_.Timer_GetProcessInfo;

  // ---- processes page ----
  QSlider*& TrackBar_OverallOption = w_.TrackBar_OverallOption;
  QLabel*& Label_OptimizeLavel = w_.Label_OptimizeLavel;
  TGauge*& Gauge_OvarallOptimize = w_.Gauge_OvarallOptimize;
  QLabel*& Label_overalloptimizing = w_.Label_overalloptimizing;
  TImageEx*& SpeedButton_StartFull = w_.SpeedButton_StartFull;
  TImageEx*& SpeedButton_RunAuto2 = w_.SpeedButton_RunAuto2;
  QTreeWidget*& ListView_ProcessReport = w_.ListView_ProcessReport;
  QLabel*& Label_TrimResult = w_.Label_TrimResult;

  // ---- optimization and auto-optimization ----
  QTimer*& Timer_self = w_.Timer_self;
  QTimer*& Timer_Auto = w_.Timer_Auto;

  // ---- settings page and hot keys ----
  QCheckBox*& CheckBox_EmptyClipboard = w_.CheckBox_EmptyClipboard;
  TSpinEdit*& SpinEdit_Time = w_.SpinEdit_Time;
  QCheckBox*& CheckBox_bstopauto = w_.CheckBox_bstopauto;
  TSpinEdit*& SpinEdit_bstopauto = w_.SpinEdit_bstopauto;
  QCheckBox*& CheckBox_AfterMemTrim = w_.CheckBox_AfterMemTrim;
  QCheckBox*& CheckBox_AutoProcessList = w_.CheckBox_AutoProcessList;
  TSpinEdit*& SpinEdit_ProcessListTime = w_.SpinEdit_ProcessListTime;
  QCheckBox*& CheckBox_AutoStart = w_.CheckBox_AutoStart;
  QCheckBox*& CheckBox_Auto = w_.CheckBox_Auto;
  QCheckBox*& CheckBox_CloseMinimize = w_.CheckBox_CloseMinimize;
  QCheckBox*& CheckBox_MinimizeStart = w_.CheckBox_MinimizeStart;
  std::array<QCheckBox*, 4>& HotKeyCheckBoxes = w_.HotKeyCheckBoxes;
  std::array<THotKeyEdit*, 4>& HotKeyEdits = w_.HotKeyEdits;
  std::array<QLabel*, 4>& HotKeyLabels = w_.HotKeyLabels;
  TImageEx*& Button_EmptyClipboard = w_.Button_EmptyClipboard;
  TImageEx*& SpeedButton_SetVM = w_.SpeedButton_SetVM;
  TImageEx*& SpeedButton_Defaykt = w_.SpeedButton_Defaykt;
  TImageEx*& SpeedButton_SaveSet = w_.SpeedButton_SaveSet;

  // ---- tray icon and menu ----
  nv::TrayIntegration*& Tray = w_.Tray;


  // ---- first showing ----
  QTimer*& Timer_HideMainWindows = w_.Timer_HideMainWindows;

  // ---- state of the window, its pages and its tray ----
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
};
