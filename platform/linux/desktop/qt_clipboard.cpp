#include "platform/linux/desktop/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace nv {

Result<void> QtClipboard::Clean() {
  // clear() drops the selection even when another client owns it, which is what emptying
  // the system clipboard means here; the primary selection is the user's, not ours.
  QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
  return {};
}

}  // namespace nv
