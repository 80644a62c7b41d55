#pragma once

namespace nv {

// Whether the desktop session is a Wayland one: WAYLAND_DISPLAY is set, or Qt connected to a
// compositor anyway. It is, even when Qt runs on X11 through XWayland: the clipboard, the
// global keys and the tray are then the compositor's, not the X server's. Offscreen it is not.
bool OnWaylandSession();

// Whether Qt runs as a native Wayland client (it does when WAYLAND_DISPLAY is set, unless
// QT_QPA_PLATFORM names another platform or its Wayland plugin is missing). Needs the
// application object.
bool OnWaylandPlatform();

}  // namespace nv
