#pragma once
#include <filesystem>
#include <functional>
#include <string>

#include "platform/dialogs.h"
#include "platform/http.h"
#include "platform/registry.h"
#include "platform/shellexec.h"
#include "update/virtual_store.h"

namespace nv {

inline constexpr char kNewerVersionQuestion[] =
    "A newer version of Velqor Norvane is available. Would you like to update now?";
inline constexpr char kUpToDateMessage[] =
    "There are no updates available at this time.\rYour Velqor Norvane is up-to-date.";

// What the user interface lends the check: the notice window and the way to end the program.
struct LiveUpdateHooks {
  std::function<void()> showNotice;     // create, show and paint the notice window at once
  std::function<void()> destroyNotice;  // destroy it
  std::function<void()> terminate;      // ask the application to end once its loop runs
};

// The check for a newer version, in two halves around its one request, so that the request can
// run anywhere while the user interface goes on: Begin shows the notice and makes the local
// "Update.ini" ready; the request fetches the update file; Finish keeps the download, compares
// the version it names with the installed one and offers the update: the updater
// "nvUpdate.exe" when the program's folder holds one, else the maker's download page.
class LiveUpdate {
 public:
  LiveUpdate(Registry& registry, Dialogs& dialogs, ShellExec& shell, LiveUpdateHooks hooks,
             VirtualStore store = VirtualStore(VirtualStore::DefaultRoot()));

  // Interactive, the notice window is shown. Answers the request to make. Throws nv::Error,
  // with the notice destroyed, when the local copy cannot be created: then nothing is fetched.
  HttpRequest Begin(bool Interactive);
  // With the request's answer: destroys the notice, then offers a newer version, or, in an
  // interactive check, says there is none. A failed request is no error for the user: the
  // check finds nothing newer, and any earlier download stays as it was. Throws nv::Error
  // (a local copy that cannot be written, an installed version of the wrong type).
  void Finish(const Result<std::string>& answer);

 private:
  // The download, kept after the check: "Update.ini" of the program's folder, in the virtual
  // store, since downloaded data never goes beside the program.
  std::filesystem::path LocalCopy();
  bool NewVersionAvailable(const Result<std::string>& answer);
  void Offer();

  Registry& registry_;
  Dialogs& dialogs_;
  ShellExec& shell_;
  LiveUpdateHooks hooks_;
  VirtualStore store_;
  bool interactive_ = false;
  bool noticeShown_ = false;
};

}  // namespace nv
