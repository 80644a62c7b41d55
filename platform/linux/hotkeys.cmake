# Global hot keys as X11 key grabs through xcb, delivered through Qt's native event filter.
pkg_check_modules(XCB_HOTKEYS REQUIRED IMPORTED_TARGET GLOBAL xcb xcb-keysyms)
add_library(norvane_linux_hotkeys STATIC
  ${CMAKE_CURRENT_LIST_DIR}/x11_keysyms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_hotkeys.cpp)
target_include_directories(norvane_linux_hotkeys PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(norvane_linux_hotkeys PUBLIC norvane_platform Qt6::Gui PRIVATE PkgConfig::XCB_HOTKEYS)
norvane_warnings(norvane_linux_hotkeys)
