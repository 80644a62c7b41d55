#include <QTimer>
#include <exception>
#include <functional>

#include "shell/TForm_Tarnel.h"
#include "shell/dashboard_page.h"
#include "shell/settings_page.h"
#include "shell/tray_integration.h"

namespace {

// One step of the first showing. An error is shown in the error dialog and the showing goes
// on, so that the program still comes up usable; returns whether the step went through.
bool RunStep(nv::Dialogs& dialogs, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    dialogs.ShowError(e.what());
    return false;
  }
}

}  // namespace

void TForm_Tarnel::FormShow() {
  if (FirstShowDone) return;
  FirstShowDone = true;

  RunStep(svc.dialogs, [this] { Dashboard->PrepareCharts(); });
  Settings->ForgetRegistrations();
  if (RunStep(svc.dialogs, [this] { LoadSettings(false); })) {
    RunStep(svc.dialogs, [this] { SaveSettings(); });
  } else {
    // The stored value could not be taken: run on the defaults, but leave the stored value
    // and the autostart entry as they are rather than overwrite them unasked.
    RunStep(svc.dialogs, [this] { LoadSettings(true); });
  }
  RunStep(svc.dialogs, [this] { SpeedButton_AppSetClick(); });
  RunStep(svc.dialogs, [this] { Button_GetProcessInfoClick(); });
  if (Settings->Current().AutoOnStart) RunStep(svc.dialogs, [this] { SpeedButton_RunAutoClick(); });
  RunStep(svc.dialogs, [this] { TrackBar_OverallOptionChange(); });
  RunStep(svc.dialogs, [this] { Tray->AddTrayIcon(); });
  Timer_HideMainWindows->start(1);
  RunStep(svc.dialogs, [this] { SpeedButton_UsageGraphClick(); });
}

void TForm_Tarnel::Timer_HideMainWindowsTimer() {
  Timer_HideMainWindows->stop();
  if (Settings->Current().MinimizeStart) HideToTray();
}
