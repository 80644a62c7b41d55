#include "shell/linux_services.h"

#include <QGuiApplication>

namespace nv {

Services LinuxServices::services() {
  return Services{memory_,     processes_, cpu_,  *registry_, dialogs_, clipboard_,    hotKeys_, shell_,
                  instance_,   privileges_, http_, paging_,    *reclaimer_, reclaimMeter_, *focus_};
}

std::unique_ptr<FocusedWindow> LinuxServices::MakeFocusedWindow() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::make_unique<NoFocusedWindowKnown>();
  return std::make_unique<X11FocusedWindow>();
}

QString LinuxServices::QuitRequestPath() { return QString::fromStdString(DefaultInstanceLockPath() + ".quit"); }

}  // namespace nv
