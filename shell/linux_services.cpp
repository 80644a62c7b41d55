#include "shell/linux_services.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include "platform/linux/hotkeys/portal_hotkeys.h"
#include "platform/product.h"
#include "platform/linux/desktop/qt_clipboard.h"
#include "platform/linux/desktop/wayland_clipboard.h"
#include "platform/linux/focus/x11_focused_window.h"
#include "platform/linux/hotkeys/x11_hotkeys.h"
#include "settings/hotkey_info.h"
#include "shell/wayland_session.h"

namespace nv {
namespace {

// What each hot key does, as the desktop portal lists it to the user.
std::string HotKeyDescription(int id) {
  static const std::string kActions[] = {"Start or stop auto optimize", "Tweak memory", "Open main window",
                                         std::string("Exit ") + kProductTitle};
  for (size_t slot = 0; slot < std::size(kActions); ++slot)
    if (id == HotKeySlotId(slot)) return kActions[slot];
  return {};
}

}  // namespace

// On a Wayland session no client may grab keys or ask which window has the focus, and the
// clipboard follows the focus unless the compositor offers data control; that holds as well
// when Qt runs through XWayland, whose keys and clipboard reach only X windows. Offscreen,
// X11's services find no display and refuse.
void LinuxServices::ChooseDesktopServices() {
  if (OnWaylandSession()) {
    hotKeys_ = std::make_unique<PortalHotKeys>(QDBusConnection::sessionBus(), HotKeyDescription);
    clipboard_ = std::make_unique<WaylandClipboard>();
    focus_ = std::make_unique<NoFocusedWindowKnown>();
    return;
  }
  hotKeys_ = std::make_unique<X11HotKeys>();
  clipboard_ = std::make_unique<QtClipboard>();
  if (QGuiApplication::platformName() == QLatin1String("xcb"))
    focus_ = std::make_unique<X11FocusedWindow>();
  else
    focus_ = std::make_unique<NoFocusedWindowKnown>();
}

Services LinuxServices::services() {
  if (!hotKeys_) ChooseDesktopServices();
  return Services{memory_,   processes_,  cpu_,       *registry_, dialogs_, *clipboard_,   *hotKeys_, shell_,
                  instance_, privileges_, http_,      paging_,    *reclaimer_, reclaimMeter_, *focus_};
}

QString LinuxServices::QuitRequestPath() {
  const std::string lock = DefaultInstanceLockPath();
  return lock.empty() ? QString() : QString::fromStdString(lock + ".quit");
}

}  // namespace nv
