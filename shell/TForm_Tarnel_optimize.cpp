#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <array>

#include "engine/auto_optimization.h"
#include "engine/overall_optimization.h"
#include "engine/paging_file.h"
#include "engine/timer_interval.h"
#include "platform/error.h"
#include "platform/log.h"
#include "settings/idle_age_setting.h"
#include "shell/PublicFunctionUnit.h"
#include "shell/TForm_Tarnel.h"
#include "shell/dashboard_page.h"
#include "shell/gauge_progress.h"
#include "shell/paint_through.h"
#include "shell/tray_integration.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TSpinEdit.h"
#include "shell/widgets/TStatusBar.h"

namespace {

constexpr char kConfirmOverall[] =
    "This function could free a lot of physical memory space,but take sometime to complete. \rConfirm to proceed?";
constexpr char kMemoryTweaking[] = "memory tweaking... ";
constexpr char kClipboardCleaned[] = "Clipboard has been cleaned!";
constexpr char kClipboardNotCleaned[] =
    "Clipboard could not be cleaned: this desktop lets a program clear it only while its window has the focus.";
constexpr char kAskSystemManagedVM[] = "Do you wish to let system automatically manage the size of virtual memory?";
constexpr char kSystemManagedVMDone[] =
    "Virtual memory configure successfully. Please restart your PC to enable the changed configuration.";
constexpr char kSystemManagedVMFailed[] = "Virtual memory was not configured: ";
constexpr std::array<const char*, 5> kLevelLabels = {"Level 1", "Level 2", "Medium", "Level 4", "Level 5"};

// QTimer::start() restarts the interval, so a timer already in the wanted state is left alone.
void SetTimerActive(QTimer* timer, bool active) {
  if (timer->isActive() == active) return;
  if (active)
    timer->start();
  else
    timer->stop();
}

}  // namespace

void TForm_Tarnel::setupOptimize() {
  const auto startFull = [this] { SpeedButton_StartFullClick(); };
  const auto runAuto = [this] { SpeedButton_RunAutoClick(); };
  connect(SpeedButton_StartFull, &TImageEx::OnClick, this, startFull);
  connect(Tray->OverallOpimize1, &QAction::triggered, this, startFull);
  connect(SpeedButton_RunAuto, &TImageEx::OnClick, this, runAuto);
  connect(SpeedButton_RunAuto2, &TImageEx::OnClick, this, runAuto);
  connect(Tray->pm_StartautoOptimize, &QAction::triggered, this, runAuto);
  connect(Timer_Auto, &QTimer::timeout, this, &TForm_Tarnel::Timer_AutoTimer);
  connect(Timer_self, &QTimer::timeout, this, &TForm_Tarnel::Timer_selfTimer);
  Timer_TrimWatch = new QTimer(this);
  Timer_TrimWatch->setInterval(1000);
  connect(Timer_TrimWatch, &QTimer::timeout, this, &TForm_Tarnel::Timer_TrimWatchTimer);
  connect(TrackBar_OverallOption, &QSlider::valueChanged, this, [this] { TrackBar_OverallOptionChange(); });
  connect(CheckBox_bstopauto, &QCheckBox::toggled, this, [this] { CheckBox_bstopautoClick(); });
  connect(Button_EmptyClipboard, &TImageEx::OnClick, this, [this] { Button_EmptyClipboardClick(); });
  connect(SpeedButton_SetVM, &TImageEx::OnClick, this, [this] { SpeedButton_SetVMClick(); });
}

void TForm_Tarnel::Timer_selfTimer() { svc.processes.TrimSelf(); }

// ---- overall optimization ----

void TForm_Tarnel::SpeedButton_StartFullClick() {
  if (!svc.dialogs.Confirm(kConfirmOverall)) return;
  Label_overalloptimizing->show();
  const bool autoWasActive = Timer_Auto->isActive();
  const bool refreshWasActive = Timer_GetProcessInfo->isActive();
  StatusBar_State->setPanelText(1, QString::fromLatin1(kMemoryTweaking));
  // The label, and the part of the window the confirmation covered, are painted before the
  // work starts and at each step of the gauge.
  nv::LetWindowsPaint();

  nv::GaugeProgress gauge(Gauge_OvarallOptimize);
  const nv::OverallOptimization result = nv::RunOverallOptimization(svc.memory, svc.processes, svc.reclaimer, svc.reclaimMeter, Tweak,
                                                                    TrackBar_OverallOption->value(), gauge);
  // The report says what the trim could not do: other users' programs left alone when no
  // administrator allowed it, or the helper's failure.
  std::string report = result.report;
  for (const std::string* note : {&result.trim.othersLeftAlone, &result.trim.failure})
    if (!note->empty()) report += "\r\n" + *note;
  svc.dialogs.ShowMessage(report);
  SayPrivilegeMissing(result.trim.privilegeMissing ? &result.trim : nullptr);

  // Auto-optimization switched on or off from the report box (a hot key, the tray) is the
  // user's latest word: putting its timer back would leave it out of step with its buttons.
  const int autoTagThen = autoWasActive ? nv::auto_texts::kRunningTag : nv::auto_texts::kStoppedTag;
  if (SpeedButton_RunAuto->Tag == autoTagThen) SetTimerActive(Timer_Auto, autoWasActive);
  SetTimerActive(Timer_GetProcessInfo, refreshWasActive);
  Label_overalloptimizing->hide();
}

void TForm_Tarnel::TrackBar_OverallOptionChange() {
  const int level = TrackBar_OverallOption->value();
  if (level < 1 || level > int(kLevelLabels.size())) return;
  Label_OptimizeLavel->setText(QString::fromLatin1(kLevelLabels[size_t(level - 1)]));
}

// ---- auto-optimization ----

void TForm_Tarnel::SetAutoOptimizeLook(int tag, const char* picture) {
  for (TImageEx* button : {SpeedButton_RunAuto, SpeedButton_RunAuto2}) {
    button->Tag = tag;
    LoadButtonPicture(button, QString::fromLatin1(picture));
  }
}

void TForm_Tarnel::SetAutoOptimizeText(const QString& text) {
  StatusBar_State->setPanelText(1, text);
  Label_AutoOptimize->setText(text);
  repaint();
}

void TForm_Tarnel::SpeedButton_RunAutoClick() {
  using namespace nv::auto_texts;
  if (Timer_Auto->isActive()) {
    Tray->pm_StartautoOptimize->setText(QString::fromLatin1(kStartCaption));
    SetAutoOptimizeText(QString());
    SetAutoOptimizeLook(kStoppedTag, kStartPicture);
    Timer_Auto->stop();
    return;
  }

  // The interval is read before anything changes, so that a field without a whole number
  // leaves auto-optimization wholly stopped.
  const int intervalMs = nv::TimerIntervalMs(SpinEdit_Time->Value());

  // Read at each start, so that a new value takes effect without a restart.
  AutoTrim.SetIdleAge(nv::StoredIdleAge(svc.registry).value_or(nv::kDefaultIdleAge));
  SetAutoOptimizeLook(kRunningTag, kStopPicture);
  Tray->pm_StartautoOptimize->setText(QString::fromLatin1(kStopCaption));
  SetAutoOptimizeText(QString::fromLatin1(kRunning));
  Timer_Auto->setInterval(intervalMs);
  if (CheckBox_AfterMemTrim->isChecked()) {
    SetAutoOptimizeText(QString::fromLatin1(kTweaking));
    nv::GaugeProgress gauge(Gauge_OvarallOptimize);
    Tweak.RunMemoryTweak(TrackBar_OverallOption->value(), gauge);
  }
  Timer_Auto->start();
}

void TForm_Tarnel::Timer_AutoTimer() {
  StatusBar_State->setPanelText(1, QString::fromLatin1(nv::auto_texts::kRunning));
  AutoDotsPhase = !AutoDotsPhase;
  Label_AutoOptimize->setText(QString::fromLatin1(nv::AutoDotsText(AutoDotsPhase)));

  nv::AutoPassOptions options;
  if (CheckBox_bstopauto->isChecked()) {
    try {
      options.stopThresholdPercent = SpinEdit_bstopauto->Value();
    } catch (const nv::Error& e) {
      // The pass is skipped. Ticks go on while the error box is open; one box at a time
      // keeps them from piling up once a second.
      if (AutoErrorShowing) return;
      AutoErrorShowing = true;
      svc.dialogs.ShowError(e.what());
      AutoErrorShowing = false;
      return;
    }
  }
  options.emptyClipboard = CheckBox_EmptyClipboard->isChecked();
  const nv::AutoPassResult result =
      nv::RunAutoOptimizationPass(svc.memory, AutoTrim, AutoTrimBackoff, svc.clipboard, options);
  if (result.statusFailure) Dashboard->MemoryStatusLog().Failed(*result.statusFailure);
  if (result.clipboardFailure)
    AutoClipboardLog.Failed(*result.clipboardFailure);
  else if (options.emptyClipboard)
    AutoClipboardLog.Succeeded();
  if (result.waiting) {
    // The line now tells why the tick waits, no longer what the last pass did.
    Timer_TrimWatch->stop();
    Label_TrimResult->setText(QString::fromStdString(*result.waiting));
  } else if (result.trimmed) {
    const nv::TrimPassFigures& last = *AutoTrim.Last();
    const std::string& failure = last.Failure();
    Label_TrimResult->setText(QString::fromStdString(failure.empty() ? nv::TrimResultLine(last) : failure));
    if (failure.empty())
      Timer_TrimWatch->start();
    else
      Timer_TrimWatch->stop();
    repaint();
    SayPrivilegeMissing(AutoTrim.Last()->PrivilegeMissing());
  }
}

void TForm_Tarnel::SayPrivilegeMissing(const nv::ReclaimOutcome* missing) {
  if (missing == nullptr || PrivilegeMissingSaid) return;
  // Set before the box opens: the ticks that come while it is open must not open another.
  PrivilegeMissingSaid = true;
  svc.dialogs.ShowMessage(nv::PrivilegeMissingWords(*missing));
}

void TForm_Tarnel::Timer_TrimWatchTimer() {
  AutoTrim.Watch(nv::TrimClock::now());
  if (!AutoTrim.Watching()) Timer_TrimWatch->stop();
  Label_TrimResult->setText(QString::fromStdString(nv::TrimResultLine(*AutoTrim.Last())));
}

void TForm_Tarnel::CheckBox_bstopautoClick() { SpinEdit_bstopauto->setEnabled(CheckBox_bstopauto->isChecked()); }

// ---- clipboard and paging file ----

void TForm_Tarnel::Button_EmptyClipboardClick() {
  const auto cleaned = svc.clipboard.Clean();
  if (!cleaned) nv::LogFailure(nv::LogLevel::Warning, "The clipboard was not cleaned", cleaned.error());
  svc.dialogs.ShowMessage(cleaned ? kClipboardCleaned : kClipboardNotCleaned);
}

void TForm_Tarnel::SpeedButton_SetVMClick() {
  if (!svc.dialogs.AskYesNo(kAskSystemManagedVM)) return;
  if (const auto configured = nv::ConfigureSystemManagedPaging(svc.registry, svc.paging); !configured)
    svc.dialogs.ShowError(std::string(kSystemManagedVMFailed) + configured.error().reason);
  else
    svc.dialogs.Inform("Information", kSystemManagedVMDone);
}
