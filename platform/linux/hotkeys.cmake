# Global hot keys: X11 key grabs through xcb, delivered through Qt's native event filter; on a
# Wayland session the desktop portal's GlobalShortcuts over D-Bus.
pkg_check_modules(XCB_HOTKEYS REQUIRED IMPORTED_TARGET GLOBAL xcb xcb-keysyms)
pkg_check_modules(XKBCOMMON REQUIRED IMPORTED_TARGET GLOBAL xkbcommon)
add_library(norvane_linux_hotkeys STATIC
  ${CMAKE_CURRENT_LIST_DIR}/x11_keysyms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_hotkeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/portal_hotkeys.h
  ${CMAKE_CURRENT_LIST_DIR}/portal_hotkeys.cpp)
target_include_directories(norvane_linux_hotkeys PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(norvane_linux_hotkeys PUBLIC norvane_platform Qt6::Gui Qt6::DBus
  PRIVATE PkgConfig::XCB_HOTKEYS PkgConfig::XKBCOMMON)
norvane_warnings(norvane_linux_hotkeys)
