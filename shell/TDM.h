#pragma once
#include <QObject>
#include <memory>

#include "platform/dialogs.h"
#include "platform/http.h"
#include "platform/registry.h"
#include "platform/shellexec.h"

// The data module: it keeps the services of the update check, and its creation runs the
// silent check when the CheckUpdate switch is on.
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

  // The whole check with its notice window and questions. A Yes to a newer version starts the
  // updater and ends the application as soon as its message loop runs, or, without an updater,
  // opens the download page. Errors leave as nv::Error
  // after the notice window is gone.
  static void LiveUpdate(Services services, bool Interactive);

 private:
  void DataModuleCreate(bool CheckUpdate);

  Services svc_;
};

// The update area's start-up: the build's version recorded as the installed one,
// LoadProductValues, then the data module. Start-up has no event
// dispatch yet to report errors, so an error of either step is shown here in the error
// dialog, and start-up goes on.
std::unique_ptr<TDM> StartUpdateArea(TDM::Services services);
