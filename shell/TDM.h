#pragma once
#include <QObject>
#include <memory>

#include "platform/dialogs.h"
#include "platform/http.h"
#include "platform/registry.h"
#include "platform/shellexec.h"

// The data module: it keeps the services of the update check, and its creation starts the
// silent check when the CheckUpdate switch is on; the check goes on while start-up does.
class TDM : public QObject {
  Q_OBJECT
 public:
  struct Services {
    nv::Http& http;
    nv::Registry& registry;
    nv::Dialogs& dialogs;
    nv::ShellExec& shell;
  };

  TDM(Services services, bool CheckUpdate, QObject* parent = nullptr);

  // Starts the check with its notice window and questions, owned by `owner`, and returns at
  // once; while `owner` has one under way, a second is not started. A Yes to a newer version
  // starts the updater and ends the application, or, without an updater, opens the download
  // page. Errors are shown in the error dialog.
  static void LiveUpdate(Services services, bool Interactive, QObject* owner);

 private:
  void DataModuleCreate(bool CheckUpdate);

  Services svc_;
};

// The update area's start-up: LoadProductValues (the build's version recorded as the installed
// one with the product's defaults), then the data module. Start-up has no event
// dispatch yet to report errors, so an error of the first step is shown here in the error
// dialog, and start-up goes on.
std::unique_ptr<TDM> StartUpdateArea(TDM::Services services);
