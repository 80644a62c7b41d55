#include "shell/optimization_page.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <array>

#include "engine/auto_optimization.h"
#include "engine/overall_optimization.h"
#include "engine/paging_file.h"
#include "engine/timer_interval.h"
#include "platform/log.h"
#include "settings/idle_age_setting.h"
#include "shell/PublicFunctionUnit.h"
#include "shell/TForm_Tarnel.h"
#include "shell/dashboard_page.h"
#include "shell/gauge_progress.h"
#include "shell/paint_through.h"
#include "shell/settings_page.h"
#include "shell/tray_integration.h"
#include "shell/widgets/TImageEx.h"
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

namespace nv {

OptimizationPage::OptimizationPage(TForm_Tarnel& window)
    : w_(window),
      trimWatch_(new QTimer(&window)),
      tweak_(window.svc.memory, [&window](const std::string& text) { window.svc.dialogs.ShowMessage(text); }),
      autoTrim_(window.svc.processes, window.svc.reclaimer, window.svc.reclaimMeter, window.svc.focus) {
  trimWatch_->setInterval(1000);
  QObject::connect(trimWatch_, &QTimer::timeout, &window, [this] { WatchTick(); });
}

// ---- overall optimization ----

void OptimizationPage::RunOverall() {
  if (!w_.svc.dialogs.Confirm(kConfirmOverall)) return;
  // Run from the tray or a hot key, the processes page may not be made: its label and gauge are
  // then left alone, and a page made meanwhile (while a box is open) shows the label.
  overallRunning_ = true;
  if (w_.Label_overalloptimizing) w_.Label_overalloptimizing->show();
  const bool autoWasActive = w_.Timer_Auto->isActive();
  const bool refreshWasActive = w_.Timer_GetProcessInfo->isActive();
  w_.StatusBar_State->setPanelText(1, QString::fromLatin1(kMemoryTweaking));
  // The label, and the part of the window the confirmation covered, are painted before the
  // work starts and at each step of the gauge.
  LetWindowsPaint();

  GaugeProgress gauge(w_.Gauge_OvarallOptimize);
  const OverallOptimization result = RunOverallOptimization(w_.svc.memory, w_.svc.processes, w_.svc.reclaimer,
                                                            w_.svc.reclaimMeter, tweak_, level_, gauge);
  // The report says what the trim could not do: other users' programs left alone when no
  // administrator allowed it, or the helper's failure.
  std::string report = result.report;
  for (const std::string* note : {&result.trim.othersLeftAlone, &result.trim.failure})
    if (!note->empty()) report += "\r\n" + *note;
  w_.svc.dialogs.ShowMessage(report);
  SayPrivilegeMissing(result.trim.privilegeMissing ? &result.trim : nullptr);

  // Auto-optimization switched on or off from the report box (a hot key, the tray) is the
  // user's latest word: putting its timer back would leave it out of step with its buttons.
  const int autoTagThen = autoWasActive ? auto_texts::kRunningTag : auto_texts::kStoppedTag;
  if (w_.SpeedButton_RunAuto->Tag == autoTagThen) SetTimerActive(w_.Timer_Auto, autoWasActive);
  SetTimerActive(w_.Timer_GetProcessInfo, refreshWasActive);
  overallRunning_ = false;
  if (w_.Label_overalloptimizing) w_.Label_overalloptimizing->hide();
}

void OptimizationPage::SetLevel(int level) {
  if (level < 1 || level > int(kLevelLabels.size())) return;
  level_ = level;
  if (!w_.TrackBar_OverallOption) return;
  w_.TrackBar_OverallOption->setValue(level);
  w_.Label_OptimizeLavel->setText(QString::fromLatin1(kLevelLabels[size_t(level - 1)]));
}

void OptimizationPage::ShowOnPage() {
  SetLevel(level_);
  w_.Label_overalloptimizing->setVisible(overallRunning_);
  const bool autoRunning = w_.SpeedButton_RunAuto->Tag == auto_texts::kRunningTag;
  w_.SpeedButton_RunAuto2->Tag = w_.SpeedButton_RunAuto->Tag;
  LoadButtonPicture(w_.SpeedButton_RunAuto2,
                    QString::fromLatin1(autoRunning ? auto_texts::kStopPicture : auto_texts::kStartPicture));
  w_.Label_TrimResult->setText(trimResult_);
}

// ---- auto-optimization ----

void OptimizationPage::SetAutoOptimizeLook(int tag, const char* picture) {
  for (TImageEx* button : {w_.SpeedButton_RunAuto, w_.SpeedButton_RunAuto2}) {
    if (!button) continue;  // the processes page's, before the page is made
    button->Tag = tag;
    LoadButtonPicture(button, QString::fromLatin1(picture));
  }
}

void OptimizationPage::SetAutoOptimizeText(const QString& text) {
  w_.StatusBar_State->setPanelText(1, text);
  w_.Label_AutoOptimize->setText(text);
  w_.repaint();
}

void OptimizationPage::ToggleAuto() {
  using namespace auto_texts;
  if (w_.Timer_Auto->isActive()) {
    w_.Tray->pm_StartautoOptimize->setText(QString::fromLatin1(kStartCaption));
    SetAutoOptimizeText(QString());
    SetAutoOptimizeLook(kStoppedTag, kStartPicture);
    w_.Timer_Auto->stop();
    return;
  }

  // Read at each start, so that a new value takes effect without a restart.
  autoTrim_.SetIdleAge(StoredIdleAge(w_.svc.registry).value_or(kDefaultIdleAge));
  SetAutoOptimizeLook(kRunningTag, kStopPicture);
  w_.Tray->pm_StartautoOptimize->setText(QString::fromLatin1(kStopCaption));
  SetAutoOptimizeText(QString::fromLatin1(kRunning));
  w_.Timer_Auto->setInterval(TimerIntervalMs(w_.Settings->Current().AutoTime));
  if (w_.Settings->Current().AfterMemTrim) {
    SetAutoOptimizeText(QString::fromLatin1(kTweaking));
    GaugeProgress gauge(w_.Gauge_OvarallOptimize);
    tweak_.RunMemoryTweak(level_, gauge);
  }
  w_.Timer_Auto->start();
}

void OptimizationPage::AutoTick() {
  w_.StatusBar_State->setPanelText(1, QString::fromLatin1(auto_texts::kRunning));
  autoDotsPhase_ = !autoDotsPhase_;
  w_.Label_AutoOptimize->setText(QString::fromLatin1(AutoDotsText(autoDotsPhase_)));

  const TSetInfo& settings = w_.Settings->Current();
  AutoPassOptions options;
  if (settings.StopAuto) options.stopThresholdPercent = settings.StopAutoPercent;
  options.emptyClipboard = settings.EmptyClipboard;
  const AutoPassResult result = RunAutoOptimizationPass(w_.svc.memory, autoTrim_, autoTrimBackoff_, w_.svc.clipboard, options);
  if (result.statusFailure) w_.Dashboard->MemoryStatusLog().Failed(*result.statusFailure);
  if (result.clipboardFailure)
    autoClipboardLog_.Failed(*result.clipboardFailure);
  else if (options.emptyClipboard)
    autoClipboardLog_.Succeeded();
  if (result.waiting) {
    // The line now tells why the tick waits, no longer what the last pass did.
    trimWatch_->stop();
    ShowTrimResult(QString::fromStdString(*result.waiting));
  } else if (result.trimmed) {
    const TrimPassFigures& last = *autoTrim_.Last();
    const std::string& failure = last.Failure();
    ShowTrimResult(QString::fromStdString(failure.empty() ? TrimResultLine(last) : failure));
    if (failure.empty())
      trimWatch_->start();
    else
      trimWatch_->stop();
    w_.repaint();
    SayPrivilegeMissing(autoTrim_.Last()->PrivilegeMissing());
  }
}

void OptimizationPage::SayPrivilegeMissing(const ReclaimOutcome* missing) {
  if (missing == nullptr || privilegeMissingSaid_) return;
  // Set before the box opens: the ticks that come while it is open must not open another.
  privilegeMissingSaid_ = true;
  w_.svc.dialogs.ShowMessage(PrivilegeMissingWords(*missing));
}

void OptimizationPage::WatchTick() {
  autoTrim_.Watch(TrimClock::now());
  if (!autoTrim_.Watching()) trimWatch_->stop();
  ShowTrimResult(QString::fromStdString(TrimResultLine(*autoTrim_.Last())));
}

void OptimizationPage::ShowTrimResult(const QString& text) {
  trimResult_ = text;
  if (w_.Label_TrimResult) w_.Label_TrimResult->setText(text);
}

// ---- clipboard and paging file ----

void OptimizationPage::EmptyClipboard() {
  const auto cleaned = w_.svc.clipboard.Clean();
  if (!cleaned) LogFailure(LogLevel::Warning, "The clipboard was not cleaned", cleaned.error());
  w_.svc.dialogs.ShowMessage(cleaned ? kClipboardCleaned : kClipboardNotCleaned);
}

void OptimizationPage::LetSystemManagePaging() {
  if (!w_.svc.dialogs.AskYesNo(kAskSystemManagedVM)) return;
  if (const auto configured = ConfigureSystemManagedPaging(w_.svc.registry, w_.svc.paging); !configured)
    w_.svc.dialogs.ShowError(std::string(kSystemManagedVMFailed) + configured.error().reason);
  else
    w_.svc.dialogs.Inform("Information", kSystemManagedVMDone);
}

}  // namespace nv
