#include "shell/TDM.h"

#include <QCoreApplication>
#include <exception>

#include "shell/TShowLiveUpdateForm.h"
#include "shell/program_version.h"
#include "update/live_update.h"
#include "update/product_values.h"

TDM::TDM(Services services, bool CheckUpdate, QObject* parent) : QObject(parent), svc_(services) {
  setObjectName(QStringLiteral("DM"));
  DataModuleCreate(CheckUpdate);
}

void TDM::DataModuleCreate(bool CheckUpdate) {
  if (!CheckUpdate) return;
  try {
    LiveUpdate(svc_, false);
  } catch (const std::exception& e) {
    svc_.dialogs.ShowError(e.what());
  }
}

void TDM::LiveUpdate(Services services, bool Interactive) {
  std::unique_ptr<TShowLiveUpdateForm> notice;
  nv::LiveUpdateHooks hooks;
  hooks.showNotice = [&notice] {
    notice = std::make_unique<TShowLiveUpdateForm>();
    notice->ShowAndPaint();
  };
  hooks.destroyNotice = [&notice] { notice.reset(); };
  // Queued, so that a Yes during start-up lets start-up finish and ends the loop it starts.
  hooks.terminate = [] {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
  };
  nv::LiveUpdate(services.http, services.registry, services.dialogs, services.shell, std::move(hooks))
      .Run(Interactive);
}

std::unique_ptr<TDM> StartUpdateArea(TDM::Services services) {
  const auto showError = [&](const auto& step) {
    try {
      step();
    } catch (const std::exception& e) {
      services.dialogs.ShowError(e.what());
    }
  };
  showError([&] { nv::RecordInstalledVersion(services.registry, kProgramVersion); });
  bool checkUpdate = false;
  showError([&] { checkUpdate = nv::LoadProductValues(services.registry); });
  return std::make_unique<TDM>(services, checkUpdate);
}
