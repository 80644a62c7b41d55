#include "platform/linux/focus/x11_focused_window.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace nv {

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, std::string_view name) {
  const auto cookie = xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.data());
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

bool WaylandSession() {
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return std::getenv("WAYLAND_DISPLAY") != nullptr || (type != nullptr && std::strcmp(type, "wayland") == 0);
}

}  // namespace

X11FocusedWindow::X11FocusedWindow(const char* display) {
  int screenNumber = 0;
  connection_ = xcb_connect(display, &screenNumber);
  if (xcb_connection_has_error(connection_)) return;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem > 0) root_ = screens.data->root;
  // Atoms that do not exist yet (only_if_exists) mean no window manager has announced them.
  activeWindow_ = InternAtom(connection_, "_NET_ACTIVE_WINDOW");
  wmPid_ = InternAtom(connection_, "_NET_WM_PID");
}

X11FocusedWindow::~X11FocusedWindow() { xcb_disconnect(connection_); }

std::optional<uint32_t> X11FocusedWindow::Property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
  const auto cookie = xcb_get_property(connection_, 0, window, property, type, 0, 1);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
  std::optional<uint32_t> value;
  if (reply != nullptr && reply->type == type && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
    value = *static_cast<const uint32_t*>(xcb_get_property_value(reply));
  std::free(reply);
  return value;
}

std::optional<uint32_t> X11FocusedWindow::FocusedProcess() {
  if (xcb_connection_has_error(connection_) || root_ == 0 || activeWindow_ == XCB_ATOM_NONE ||
      wmPid_ == XCB_ATOM_NONE)
    return std::nullopt;
  const std::optional<uint32_t> window = Property32(root_, activeWindow_, XCB_ATOM_WINDOW);
  if (!window || *window == 0) return std::nullopt;
  const std::optional<uint32_t> pid = Property32(*window, wmPid_, XCB_ATOM_CARDINAL);
  if (!pid || *pid == 0) return std::nullopt;
  return pid;
}

std::unique_ptr<FocusedWindow> MakeSessionFocusedWindow() {
  if (WaylandSession() || std::getenv("DISPLAY") == nullptr) return std::make_unique<NoFocusedWindowKnown>();
  return std::make_unique<X11FocusedWindow>();
}

}  // namespace nv
