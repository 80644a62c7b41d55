#pragma once
#include <QObject>
#include <memory>
#include <thread>

#include "shell/TDM.h"
#include "update/live_update.h"

class TShowLiveUpdateForm;

// One update check under way. Its request runs on a thread of its own, so that neither the
// window's first frame nor its later work waits on the maker's server; the answer comes back
// to the user-interface thread, which then asks the question or shows the message. Errors are
// shown in the error dialog. The check deletes itself when it is done; deleting it sooner (its
// owner closing) gives the request up at once.
class UpdateCheck : public QObject {
  Q_OBJECT
 public:
  UpdateCheck(TDM::Services services, bool Interactive, QObject* owner);
  ~UpdateCheck() override;

 private:
  void Finish(const nv::Result<std::string>& answer);

  TDM::Services svc_;
  std::unique_ptr<TShowLiveUpdateForm> notice_;
  nv::LiveUpdate check_;
  // Last: it is stopped and joined before what its request reports to goes.
  std::jthread request_;
};
