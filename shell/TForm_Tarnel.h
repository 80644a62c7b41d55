#pragma once
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

#include "shell/page_layouts.h"
#include "shell/services.h"

namespace nv {
class JpegDecoderHold;
}

class QCheckBox;
class QLabel;
class QSlider;
class QTimer;
class QTreeWidget;
class QKeyEvent;
class TGauge;
class THotKeyEdit;
class TImageEx;
class TLineChart;
class TLinkLabel;
class TNotebook;
class TSpinEdit;
class TStatusBar;
namespace nv {
class DashboardPage;
class OptimizationPage;
class ProcessReportPage;
class SettingsPage;
class TrayIntegration;
}
namespace nv::layout {
struct SettingsGroups;
}

// The main window. Its handlers are split by area into TForm_Tarnel_<area>.cpp; the handlers
// are public, its controls and state private: the areas reach a control by its name, as do the
// page builders (nv::layout) and a page's class (DashboardPage, ProcessReportPage,
// OptimizationPage, SettingsPage: a page's logic and state, owned by the window), which are
// its friends, and the tests through TForm_TarnelProbe. The tray lives in a TrayIntegration
// of its own.
class TForm_TarnelProbe;

class TForm_Tarnel : public QWidget {
  Q_OBJECT
 public:
  explicit TForm_Tarnel(nv::Services services, QWidget* parent = nullptr);
  ~TForm_Tarnel() override;

  // Whether window creation refused to run the program; main() then ends without showing it.
  bool StartWasRefused() const { return StartRefused; }

  // ---- window and navigation (TForm_Tarnel.cpp, TForm_Tarnel_navigation.cpp) ----
  void FormCreate();

  void SpeedButton_RunAutoMouseEnter(TImageEx* sender);
  void SpeedButton_RunAutoMouseLeave(TImageEx* sender);
  void CloseBtnMouseEnter(TImageEx* sender);
  void CloseBtnMouseLeave(TImageEx* sender);
  void SpeedButton_UsageGraphClick();
  void SpeedButton_fullClick();
  void SpeedButton_SetClick();
  void Image1MouseDown(Qt::MouseButton button, int x, int y);
  void Image1MouseMove(Qt::MouseButtons buttons, int x, int y);
  void MinimizeBtnClick();
  void CloseBtnClick();

  // ---- dashboard (TForm_Tarnel_dashboard.cpp) ----
  void Button_GetProcessInfoClick();
  void Timer_GetProcessInfoTimer();

  // ---- processes page's report (TForm_Tarnel_report.cpp) ----
  void UpdateProcessReport();

  // ---- optimization, auto-optimization, clipboard, paging file (TForm_Tarnel_optimize.cpp, the
  // logic in nv::OptimizationPage) ----
  void Timer_selfTimer();
  void SpeedButton_StartFullClick();
  void TrackBar_OverallOptionChange();
  void SpeedButton_RunAutoClick();
  void Timer_AutoTimer();
  void CheckBox_bstopautoClick();
  void Button_EmptyClipboardClick();
  void SpeedButton_SetVMClick();

  // ---- settings page and hot keys (TForm_Tarnel_settings.cpp; the logic, and the settings in
  // effect, in nv::SettingsPage) ----
  void LoadSettings(bool UseDefaults);
  // false when the settings key cannot be opened: the user has been told, nothing was written.
  bool SaveSettings();
  void SpeedButton_AppSetClick();
  void SpeedButton_SaveSetClick();
  void SpeedButton_DefayktClick();
  void CheckBox_AutoProcessListClick();
  void ReleaseHotKeys();
  void ActivateHotKeys();
  void HotKeyEditKeyDown(int slot, QKeyEvent* event);
  void HotKeyEditKeyUp(int slot, QKeyEvent* event);
  void HotKeyCheckBoxClick(int slot);
  void WMHotKey(uint32_t modifiers, uint32_t key);

  // ---- tray icon and menu (shell/tray_integration.h; the window's part: TForm_Tarnel_tray.cpp) ----
  void HideToTray();
  void OpenMainWindow1Click();
  // Raises the window and gives it the focus, as far as the window system lets a program.
  void BringForward();
  void Exit1Click();
  // Takes the icon out of the notification area, as the program ends.
  void RemoveTrayIcon();

  // ---- first showing (TForm_Tarnel_show.cpp) ----
  void FormShow();
  void Timer_HideMainWindowsTimer();

  // ---- about box, help and live update (TForm_Tarnel_help.cpp) ----
  void HelpBtnClick();
  void AboutBtnClick();
  void Liveupdate1Click();

 protected:
  void showEvent(QShowEvent*) override;
  void hideEvent(QHideEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void changeEvent(QEvent*) override;

 private:
  friend class ::TForm_TarnelProbe;
  friend class nv::DashboardPage;
  friend class nv::ProcessReportPage;
  friend class nv::OptimizationPage;
  friend class nv::SettingsPage;
  friend QWidget* nv::layout::BuildUsagePage(TForm_Tarnel& w);
  friend QWidget* nv::layout::BuildProcessesPage(TForm_Tarnel& w);
  friend QWidget* nv::layout::BuildOverallPage(TForm_Tarnel& w);
  friend QWidget* nv::layout::BuildSettingsPage(TForm_Tarnel& w);
  friend struct nv::layout::SettingsGroups;

  nv::Services svc;

  // ---- window, navigation, picture buttons (TForm_Tarnel.cpp, TForm_Tarnel_layout*.cpp) ----
  TImageEx* Image1 = nullptr;
  TImageEx* SpeedButton_UsageGraph = nullptr;
  TImageEx* SpeedButton_full = nullptr;
  TImageEx* SpeedButton_Set = nullptr;
  TImageEx* MinimizeBtn = nullptr;
  TImageEx* CloseBtn = nullptr;
  QLabel* Label_AutoOptimize = nullptr;
  TImageEx* Image2 = nullptr;
  TImageEx* Image12 = nullptr;
  TNotebook* Notebook1 = nullptr;
  TImageEx* Image18 = nullptr;
  TLinkLabel* HelpBtn = nullptr;   // OnClick: HelpBtnClick
  TLinkLabel* AboutBtn = nullptr;  // OnClick: AboutBtnClick
  TStatusBar* StatusBar_State = nullptr;
  bool StartRefused = false;

  // ---- usage page and the hidden overall page (dashboard); the overall page's controls are
  // nullptr until the page is first selected ----
  TGauge* Gauge_CPU = nullptr;
  TGauge* Gauge_VM = nullptr;
  TGauge* Gauge_Mem = nullptr;
  TLineChart* Chart_CPUs = nullptr;
  TLineChart* Chart_PhyMem = nullptr;
  QLabel* Label_vmTotal = nullptr;
  QLabel* Label_vmFree = nullptr;
  QLabel* Label_vmUsage = nullptr;
  QLabel* Label_pmTotal = nullptr;
  QLabel* Label_pmFree = nullptr;
  QLabel* Label_pmUsage = nullptr;
  QLabel* Label_vmnum = nullptr;
  QLabel* Label_MemusageNum = nullptr;
  QLabel* Label_CPUusage = nullptr;
  QLabel* Label_PMu = nullptr;
  QLabel* Label_VMu = nullptr;
  TImageEx* SpeedButton_RunAuto = nullptr;
  TGauge* Gauge_Cpu2 = nullptr;
  TGauge* Gauge_Mem2 = nullptr;
  QLabel* Label_MemusageNum2 = nullptr;
  QLabel* LTotalRAM = nullptr;
  QLabel* LFreeRAM = nullptr;
  QLabel* LTotalPage = nullptr;
  QLabel* LPageFree = nullptr;
  QLabel* LTotalVirtual = nullptr;
  QLabel* LFreeVirtual = nullptr;
  QTimer* Timer_GetProcessInfo = nullptr;

  // ---- processes page; nullptr until the page is first selected, and the level lives in
  // nv::OptimizationPage ----
  QSlider* TrackBar_OverallOption = nullptr;
  QLabel* Label_OptimizeLavel = nullptr;
  TGauge* Gauge_OvarallOptimize = nullptr;
  QLabel* Label_overalloptimizing = nullptr;
  TImageEx* SpeedButton_StartFull = nullptr;
  TImageEx* SpeedButton_RunAuto2 = nullptr;
  // Made the first time the report is brought up to date (nv::ProcessReportPage::Update).
  QTreeWidget* ListView_ProcessReport = nullptr;
  QLabel* Label_TrimResult = nullptr;  // what the last auto-optimization pass achieved, or why it waits

  // ---- optimization and auto-optimization ----
  QTimer* Timer_self = nullptr;
  QTimer* Timer_Auto = nullptr;

  // ---- settings page and hot keys ----
  QCheckBox* CheckBox_EmptyClipboard = nullptr;
  TSpinEdit* SpinEdit_Time = nullptr;
  QCheckBox* CheckBox_bstopauto = nullptr;
  TSpinEdit* SpinEdit_bstopauto = nullptr;
  QCheckBox* CheckBox_AfterMemTrim = nullptr;
  QCheckBox* CheckBox_AutoProcessList = nullptr;
  TSpinEdit* SpinEdit_ProcessListTime = nullptr;
  QCheckBox* CheckBox_AutoStart = nullptr;
  QCheckBox* CheckBox_Auto = nullptr;
  QCheckBox* CheckBox_CloseMinimize = nullptr;
  QCheckBox* CheckBox_MinimizeStart = nullptr;
  std::array<QCheckBox*, 4> HotKeyCheckBoxes{};  // CheckBox_AutoOptimizeReg ... CheckBox_ProcessExitReg
  std::array<THotKeyEdit*, 4> HotKeyEdits{};     // Edit_AutoOptimizeKey ... Edit_ProcessExitKey
  std::array<QLabel*, 4> HotKeyLabels{};         // Label_hk1 ... Label_hk4
  TImageEx* Button_EmptyClipboard = nullptr;
  TImageEx* SpeedButton_SetVM = nullptr;
  TImageEx* SpeedButton_Defaykt = nullptr;
  TImageEx* SpeedButton_SaveSet = nullptr;

  // ---- tray icon and menu ----
  nv::TrayIntegration* Tray = nullptr;

  // ---- first showing ----
  QTimer* Timer_HideMainWindows = nullptr;
  bool FirstShowDone = false;

  // ---- what the window gives back while hidden in the tray ----
  void ReleaseWhileHidden();
  void RestorePictures();

  // ---- window state ----
  int DragOriginX = 0, DragOriginY = 0;
  bool SystemMoving = false;  // the window system took over the drag begun by the last press
  bool IsMinimized = false;
  std::array<QImage, 4> MinImgList;

  // ---- a page's logic and state ----
  std::unique_ptr<nv::DashboardPage> Dashboard;
  std::unique_ptr<nv::ProcessReportPage> Report;
  std::unique_ptr<nv::OptimizationPage> Optimization;
  std::unique_ptr<nv::SettingsPage> Settings;

  // Each area wires its own controls; the constructor calls them after the layout exists.
  void buildLayout();
  void setupNavigation();
  // Selects the page, then gives the three tabs their pictures.
  void selectTab(const QString& page, int selected);
  void setupDashboard();
  void setupOptimize();
  // Wires the processes page's controls and shows the optimization's state on them, when the
  // page is made.
  void setupProcessesPage();
  // The hover pictures of an action button.
  void connectActionButtonHover(TImageEx* button);
  void setupSettings();
  void setupTray();
  void setupHelp();
};
