#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>

#include "shell/update_check.h"

namespace nv::test {

// Runs the message loop until the update checks that `owner` has under way have come to their
// end (their answer handled and the check deleted), for at most 30 seconds.
inline void FinishUpdateChecks(QObject* owner) {
  QElapsedTimer clock;
  clock.start();
  while (owner->findChild<UpdateCheck*>(QString(), Qt::FindDirectChildrenOnly) && clock.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace nv::test
