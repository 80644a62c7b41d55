#include "shell/paint_through.h"

#include <QCoreApplication>

namespace nv {

void LetWindowsPaint() {
  static bool handling = false;
  if (handling) return;
  handling = true;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                                  QEventLoop::X11ExcludeTimers);
  handling = false;
}

}  // namespace nv
