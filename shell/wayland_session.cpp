#include "shell/wayland_session.h"

#include <QGuiApplication>

namespace nv {

// "wayland", or a variant of it such as "wayland-egl".
bool OnWaylandSession() { return qGuiApp && QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace nv
