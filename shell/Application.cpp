#include "shell/Application.h"

#include <exception>

namespace nv {

Application::Application(int& argc, char** argv, Dialogs& errorDialogs)
    : QApplication(argc, argv), dialogs_(&errorDialogs) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    dialogs_->ShowError(e.what());
  } catch (...) {
    dialogs_->ShowError("Unknown exception");
  }
  return false;
}

}  // namespace nv
