#pragma once

namespace nv {

// Whether the program runs as a native Wayland client: Qt chose its wayland platform (it does
// when WAYLAND_DISPLAY is set, unless QT_QPA_PLATFORM names another). Needs the application
// object.
bool OnWaylandSession();

}  // namespace nv
