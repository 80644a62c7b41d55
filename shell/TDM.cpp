#include "shell/TDM.h"

#include <exception>

#include "shell/program_version.h"
#include "shell/update_check.h"
#include "update/product_values.h"

TDM::TDM(Services services, bool CheckUpdate, QObject* parent) : QObject(parent), svc_(services) {
  setObjectName(QStringLiteral("DM"));
  DataModuleCreate(CheckUpdate);
}

void TDM::DataModuleCreate(bool CheckUpdate) {
  if (CheckUpdate) LiveUpdate(svc_, false, this);
}

void TDM::LiveUpdate(Services services, bool Interactive, QObject* owner) {
  if (owner->findChild<UpdateCheck*>(QString(), Qt::FindDirectChildrenOnly)) return;
  new UpdateCheck(services, Interactive, owner);
}

std::unique_ptr<TDM> StartUpdateArea(TDM::Services services) {
  const auto showError = [&](const auto& step) {
    try {
      step();
    } catch (const std::exception& e) {
      services.dialogs.ShowError(e.what());
    }
  };
  bool checkUpdate = false;
  showError([&] { checkUpdate = nv::LoadProductValues(services.registry, kProgramVersion); });
  return std::make_unique<TDM>(services, checkUpdate);
}
