#include "update/live_update.h"

#include "platform/error.h"
#include "platform/log.h"
#include "platform/product.h"
#include "update/ini_profile.h"
#include "update/product_values.h"
#include "update/staged_file.h"
#include "update/version_compare.h"

namespace nv {

namespace {

HttpRequest UpdateFileRequest(const std::string& address) {
  HttpRequest request;
  request.url = address;
  request.userAgent = "Mozilla/3.0 (compatible; Indy Library)";
  request.accept = "text/html, */*";
  request.readTimeoutMs = 5000;
  // The check runs before the window and the tray icon exist: a server that trickles its
  // answer must not hold the program longer than this.
  request.deadlineMs = 15000;
  request.maxBodyBytes = 64 * 1024;
  request.allowCookies = true;
  return request;
}

}  // namespace

LiveUpdate::LiveUpdate(Http& http, Registry& registry, Dialogs& dialogs, ShellExec& shell, LiveUpdateHooks hooks,
                       VirtualStore store)
    : http_(http), registry_(registry), dialogs_(dialogs), shell_(shell), hooks_(std::move(hooks)),
      store_(std::move(store)) {}

void LiveUpdate::Run(bool Interactive) {
  bool noticeShown = false;
  const auto destroyNotice = [&] {
    if (noticeShown) hooks_.destroyNotice();
    noticeShown = false;
  };
  try {
    if (Interactive) {
      hooks_.showNotice();
      noticeShown = true;
    }
    const bool newer = NewVersionAvailable();
    destroyNotice();
    if (newer) {
      Offer();
    } else if (Interactive) {
      dialogs_.Inform(kProductTitle, kUpToDateMessage);
    }
  } catch (...) {
    destroyNotice();
    throw;
  }
}

void LiveUpdate::Offer() {
  if (!dialogs_.AskYesNo(kNewerVersionQuestion, Dialogs::Icon::Information)) return;
  const std::string updater = shell_.ProgramFolder() + "nvUpdate.exe";
  if (shell_.FileExists(updater)) {
    const auto started = shell_.StartProgram(updater);
    if (started) {
      hooks_.terminate();
      return;
    }
    LogFailure(LogLevel::Error, "The updater did not start, so the download page is opened instead", started.error());
  }
  // Without an updater (a Linux install has none) the user updates from the maker's download
  // page; ending the program here would pass a failure off as an update under way.
  if (const auto opened = shell_.Open(HomePage(registry_)); !opened) dialogs_.ShowError(opened.error().reason);
}

std::filesystem::path LiveUpdate::LocalCopy() {
  return store_.Mirror(std::filesystem::path(shell_.ProgramFolder()) / "Update.ini");
}

bool LiveUpdate::NewVersionAvailable() {
  const auto localCopy = LocalCopy();
  if (!DownloadToFile(UpdateFileAddress(), localCopy)) return false;
  const auto remote = ReadProfileString(localCopy, "Version", "Ver", "");
  return IsNewerVersion(remote, InstalledVersion(registry_));
}

bool LiveUpdate::DownloadToFile(const std::string& address, const std::filesystem::path& fileName) {
  std::error_code folderError;
  std::filesystem::create_directories(fileName.parent_path(), folderError);
  if (folderError) throw Error(CannotCreateFileText(fileName, folderError));
  StagedFile staged(fileName);
  staged.ThrowIfRefused();
  const auto body = http_.Get(UpdateFileRequest(address));
  if (!body) {
    // As specified, a failed download is no error for the user: the check finds nothing newer.
    LogFailure(LogLevel::Warning, "The update file was not downloaded from " + address, body.error());
    return false;
  }
  staged.Commit(*body);
  return true;
}

}  // namespace nv
