#pragma once
#include "platform/clipboard.h"

namespace nv {

// The clipboard selection of the desktop session, through Qt. Needs a QGuiApplication.
class QtClipboard : public Clipboard {
 public:
  Result<void> Clean() override;
};

}  // namespace nv
