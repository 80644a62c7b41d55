#include "shell/wayland_session.h"

#include <QGuiApplication>

namespace nv {

bool OnWaylandSession() {
  // Offscreen there is no desktop to use, whatever the environment names.
  if (qGuiApp && QGuiApplication::platformName() == QLatin1String("offscreen")) return false;
  return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || OnWaylandPlatform();
}

// "wayland", or a variant of it such as "wayland-egl".
bool OnWaylandPlatform() { return qGuiApp && QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace nv
