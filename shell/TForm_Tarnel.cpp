#include "shell/TForm_Tarnel.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QCoreApplication>
#include <QTimer>
#include <optional>

#include "shell/dashboard_page.h"
#include "shell/optimization_page.h"
#include "shell/process_report_page.h"
#include "shell/settings_page.h"
#include "platform/log.h"
#include "shell/PublicFunctionUnit.h"
#include "shell/jpeg_decoder.h"
#include "shell/rounded_outline.h"
#include "shell/widgets/TImageEx.h"

namespace {

constexpr const char* kRefusal =
    "Can not run this program! Please run this program under administrator' authorization! ";

}  // namespace

TForm_Tarnel::TForm_Tarnel(nv::Services services, QWidget* parent) : QWidget(parent), svc(services) {
  Report = std::make_unique<nv::ProcessReportPage>(*this);
  const nv::JpegDecoderHold decoderWhileBuilding;  // one load for the pictures of every page
  buildLayout();
  setupNavigation();
  setupDashboard();
  setupOptimize();
  setupSettings();
  setupTray();
  setupHelp();
  connect(Timer_HideMainWindows, &QTimer::timeout, this, &TForm_Tarnel::Timer_HideMainWindowsTimer);
  FormCreate();
}

TForm_Tarnel::~TForm_Tarnel() = default;

void TForm_Tarnel::FormCreate() {
  nv::ApplyRoundedOutline(*this, 24);
  IsMinimized = false;
  FirstShowDone = false;

  // A token whose privileges cannot even be read ends the program without a word; one in
  // which the debug privilege cannot be switched on is refused with the message.
  if (const auto saved = svc.privileges.SaveTokenPrivileges(); !saved) {
    nv::LogFailure(nv::LogLevel::Error, "The program does not start", saved.error());
    StartRefused = true;
    return;
  }
  if (const auto enabled = svc.privileges.EnableDebugPrivilege(); !enabled) {
    const nv::PrivilegeFailure& failure = enabled.error();
    nv::Log(nv::LogLevel::Error, "The debug privilege is not held: " + failure.reason);
    switch (failure.step) {
      case nv::PrivilegeStep::OpenToken:
        // Systems without access tokens land here; the program runs on without the privilege.
        svc.dialogs.ShowError("OpenProcessToken ERROR");
        break;
      case nv::PrivilegeStep::LookupPrivilege:
        svc.dialogs.ShowError("LookupPrivilegeValue ERROR!");
        StartRefused = true;
        break;
      case nv::PrivilegeStep::AdjustToken:
        svc.dialogs.ShowError("AdjustTokenPrivileges ERROR!");
        StartRefused = true;
        break;
    }
  }
  if (StartRefused) {
    svc.dialogs.ShowError(kRefusal);
    return;
  }
  Timer_self->start();
}

void TForm_Tarnel::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  RestorePictures();
  FormShow();
  Report->CatchUp();
}

// A window hidden in the tray gives back its native window and with it the backing store (a
// shared-memory image of the whole window, about 1.5 MB) and its decoded pictures; showing it
// makes them again. Minimizing keeps them: the window stays visible to Qt and to the task bar.
void TForm_Tarnel::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  if (e->spontaneous()) return;
  QTimer::singleShot(0, this, [this] {
    if (!isVisible()) ReleaseWhileHidden();
  });
}

void TForm_Tarnel::ReleaseWhileHidden() {
  if (testAttribute(Qt::WA_WState_Created)) destroy();
  for (TImageEx* image : findChildren<TImageEx*>())
    if (!image->pictureName.isEmpty()) image->clearPicture();
}

void TForm_Tarnel::RestorePictures() {
  std::optional<nv::JpegDecoderHold> decoder;  // loaded once for all, and only when some picture is missing
  for (TImageEx* image : findChildren<TImageEx*>()) {
    if (!image->picture().isNull() || image->pictureName.isEmpty()) continue;
    if (!decoder) decoder.emplace();
    LoadButtonPicture(image, image->pictureName);
  }
}

// Closing is always allowed, and closing the main window ends the program even while the
// application is set not to quit with its last window (so that message boxes shown while the
// window sits in the tray cannot end it).
void TForm_Tarnel::closeEvent(QCloseEvent* e) {
  e->accept();
  QCoreApplication::quit();
}

void TForm_Tarnel::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange) return;
  IsMinimized = windowState().testFlag(Qt::WindowMinimized);
  if (!IsMinimized) Report->CatchUp();
}
