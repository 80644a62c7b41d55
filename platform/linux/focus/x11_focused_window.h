#pragma once
#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/focus.h"

namespace nv {

// The focused window's process as the window manager announces it: _NET_ACTIVE_WINDOW on the
// root window, then that window's _NET_WM_PID. Holds its own connection to the X server.
class X11FocusedWindow : public FocusedWindow {
 public:
  // Connects to `display` (the DISPLAY of the environment when null); a failed connection
  // knows no focused window.
  explicit X11FocusedWindow(const char* display = nullptr);
  ~X11FocusedWindow() override;
  X11FocusedWindow(const X11FocusedWindow&) = delete;
  X11FocusedWindow& operator=(const X11FocusedWindow&) = delete;

  std::optional<uint32_t> FocusedProcess() override;

 private:
  // The first 32-bit value of `property` on `window`, when it has one of `type`.
  std::optional<uint32_t> Property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  xcb_atom_t activeWindow_ = XCB_ATOM_NONE;
  xcb_atom_t wmPid_ = XCB_ATOM_NONE;
};

// The focused-window source for this session: X11 when an X display is reachable and the
// session is not Wayland's (there, X tells only of its own clients), else none known.
std::unique_ptr<FocusedWindow> MakeSessionFocusedWindow();

}  // namespace nv
