#include "shell/linux_services.h"

namespace nv {

Services LinuxServices::services() {
  return Services{memory_, processes_, cpu_, *registry_, dialogs_, clipboard_, hotKeys_, shell_, instance_, privileges_, http_, paging_};
}

QString LinuxServices::QuitRequestPath() { return QString::fromStdString(DefaultInstanceLockPath() + ".quit"); }

}  // namespace nv
