#include <QAction>
#include <QSlider>
#include <QTimer>

#include "shell/TForm_Tarnel.h"
#include "shell/optimization_page.h"
#include "shell/settings_page.h"
#include "shell/tray_integration.h"
#include "shell/widgets/TImageEx.h"

void TForm_Tarnel::setupOptimize() {
  Optimization = std::make_unique<nv::OptimizationPage>(*this);
  const auto runAuto = [this] { SpeedButton_RunAutoClick(); };
  connect(Tray->OverallOpimize1, &QAction::triggered, this, [this] { SpeedButton_StartFullClick(); });
  connect(SpeedButton_RunAuto, &TImageEx::OnClick, this, runAuto);
  connect(Tray->pm_StartautoOptimize, &QAction::triggered, this, runAuto);
  connect(Timer_Auto, &QTimer::timeout, this, &TForm_Tarnel::Timer_AutoTimer);
  connect(Timer_self, &QTimer::timeout, this, &TForm_Tarnel::Timer_selfTimer);
}

void TForm_Tarnel::setupProcessesPage() {
  connect(SpeedButton_StartFull, &TImageEx::OnClick, this, [this] { SpeedButton_StartFullClick(); });
  connect(SpeedButton_RunAuto2, &TImageEx::OnClick, this, [this] { SpeedButton_RunAutoClick(); });
  for (TImageEx* b : {SpeedButton_StartFull, SpeedButton_RunAuto2}) connectActionButtonHover(b);
  Optimization->ShowOnPage();
  connect(TrackBar_OverallOption, &QSlider::valueChanged, this, [this] { TrackBar_OverallOptionChange(); });
}

void TForm_Tarnel::Timer_selfTimer() { svc.processes.TrimSelf(); }

void TForm_Tarnel::SpeedButton_StartFullClick() { Optimization->RunOverall(); }

// Also called at the first showing, before the page and its slider may exist.
void TForm_Tarnel::TrackBar_OverallOptionChange() {
  if (TrackBar_OverallOption) Optimization->SetLevel(TrackBar_OverallOption->value());
}

void TForm_Tarnel::SpeedButton_RunAutoClick() { Optimization->ToggleAuto(); }

void TForm_Tarnel::Timer_AutoTimer() { Optimization->AutoTick(); }

void TForm_Tarnel::CheckBox_bstopautoClick() { Settings->EnableNumberFields(); }

void TForm_Tarnel::Button_EmptyClipboardClick() { Optimization->EmptyClipboard(); }

void TForm_Tarnel::SpeedButton_SetVMClick() { Optimization->LetSystemManagePaging(); }
