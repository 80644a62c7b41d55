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
  // A server that trickles its answer must not keep the notice up, or a fetcher running,
  // longer than this.
  request.deadlineMs = 15000;
  request.maxBodyBytes = 64 * 1024;
  request.allowCookies = true;
  return request;
}

}  // namespace

LiveUpdate::LiveUpdate(Registry& registry, Dialogs& dialogs, ShellExec& shell, LiveUpdateHooks hooks,
                       VirtualStore store)
    : registry_(registry), dialogs_(dialogs), shell_(shell), hooks_(std::move(hooks)), store_(std::move(store)) {}

HttpRequest LiveUpdate::Begin(bool Interactive) {
  interactive_ = Interactive;
  if (Interactive) {
    hooks_.showNotice();
    noticeShown_ = true;
  }
  try {
    // A trial file, dropped at once: the real one is made only when the answer is there, so
    // that a program ended while the request runs leaves no temporary file behind.
    const auto localCopy = LocalCopy();
    std::error_code folderError;
    std::filesystem::create_directories(localCopy.parent_path(), folderError);
    if (folderError) throw Error(CannotCreateFileText(localCopy, folderError));
    StagedFile(localCopy).ThrowIfRefused();
  } catch (...) {
    if (noticeShown_) hooks_.destroyNotice();
    noticeShown_ = false;
    throw;
  }
  return UpdateFileRequest(UpdateFileAddress());
}

void LiveUpdate::Finish(const Result<std::string>& answer) {
  if (noticeShown_) hooks_.destroyNotice();
  noticeShown_ = false;
  if (NewVersionAvailable(answer)) {
    Offer();
  } else if (interactive_) {
    dialogs_.Inform(kProductTitle, kUpToDateMessage);
  }
}

bool LiveUpdate::NewVersionAvailable(const Result<std::string>& answer) {
  if (!answer) {
    // As specified, a failed download is no error for the user: the check finds nothing newer.
    LogFailure(LogLevel::Warning, "The update file was not downloaded from " + UpdateFileAddress(), answer.error());
    return false;
  }
  const auto localCopy = LocalCopy();
  StagedFile staged(localCopy);
  staged.ThrowIfRefused();
  staged.Commit(*answer);
  const auto remote = ReadProfileString(localCopy, "Version", "Ver", "");
  return IsNewerVersion(remote, InstalledVersion(registry_));
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

}  // namespace nv
