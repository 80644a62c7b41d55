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

// The check for a newer version: downloads the update file into the local "Update.ini",
// compares the version it names with the installed one and offers the update: the updater
// "nvUpdate.exe" when the program's folder holds one, else the maker's download page.
class LiveUpdate {
 public:
  LiveUpdate(Http& http, Registry& registry, Dialogs& dialogs, ShellExec& shell, LiveUpdateHooks hooks,
             VirtualStore store = VirtualStore(VirtualStore::DefaultRoot()));

  // The whole check. Silent (Interactive false) it shows nothing unless a newer version is
  // offered. An nv::Error raised on the way destroys the notice window before it leaves.
  void Run(bool Interactive);

  bool NewVersionAvailable();
  // Fetches `address` into `fileName`, making its folder, and answers whether it succeeded; a
  // failed request leaves any earlier file untouched. Throws nv::Error when no file can be
  // created.
  bool DownloadToFile(const std::string& address, const std::filesystem::path& fileName);

 private:
  // The download, kept after the check: "Update.ini" of the program's folder, in the virtual
  // store, since downloaded data never goes beside the program.
  std::filesystem::path LocalCopy();
  void Offer();

  Http& http_;
  Registry& registry_;
  Dialogs& dialogs_;
  ShellExec& shell_;
  LiveUpdateHooks hooks_;
  VirtualStore store_;
};

}  // namespace nv
