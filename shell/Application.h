#pragma once
#include <QApplication>

#include "platform/dialogs.h"

namespace nv {

// The application object. Its event dispatch is the general error handler: an exception that
// escapes any handler ends that handler only; its text is shown in the error dialog and the
// program runs on.
class Application : public QApplication {
  Q_OBJECT
 public:
  Application(int& argc, char** argv, Dialogs& errorDialogs);
  bool notify(QObject* receiver, QEvent* event) override;
  void setErrorDialogs(Dialogs& dialogs) { dialogs_ = &dialogs; }

 private:
  Dialogs* dialogs_;
};

}  // namespace nv
