#include "shell/update_check.h"

#include <QCoreApplication>
#include <exception>

#include "shell/TShowLiveUpdateForm.h"

namespace {

nv::LiveUpdateHooks NoticeAndQuit(std::unique_ptr<TShowLiveUpdateForm>& notice) {
  nv::LiveUpdateHooks hooks;
  hooks.showNotice = [&notice] {
    notice = std::make_unique<TShowLiveUpdateForm>();
    notice->ShowCentred();
  };
  hooks.destroyNotice = [&notice] { notice.reset(); };
  // Queued, so that a Yes during start-up lets start-up finish and ends the loop it starts.
  hooks.terminate = [] {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
  };
  return hooks;
}

}  // namespace

UpdateCheck::UpdateCheck(TDM::Services services, bool Interactive, QObject* owner)
    : QObject(owner), svc_(services), check_(services.registry, services.dialogs, services.shell, NoticeAndQuit(notice_)) {
  try {
    nv::HttpRequest request = check_.Begin(Interactive);
    request_ = std::jthread([this, request](std::stop_token stop) mutable {
      request.stop = std::move(stop);
      auto answer = svc_.http.Get(request);
      QMetaObject::invokeMethod(this, [this, answer = std::move(answer)] { Finish(answer); }, Qt::QueuedConnection);
    });
  } catch (const std::exception& e) {
    svc_.dialogs.ShowError(e.what());
    deleteLater();
  }
}

UpdateCheck::~UpdateCheck() = default;

void UpdateCheck::Finish(const nv::Result<std::string>& answer) {
  try {
    check_.Finish(answer);
  } catch (const std::exception& e) {
    svc_.dialogs.ShowError(e.what());
  }
  deleteLater();
}
