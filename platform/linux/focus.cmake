# The focused window's process under X11, through xcb; no Qt, so that the CLI can ask too.
pkg_check_modules(XCB_FOCUS REQUIRED IMPORTED_TARGET xcb)
norvane_library(norvane_linux_focus
  SOURCES x11_focused_window.cpp
  DEPS norvane_platform PkgConfig::XCB_FOCUS)
