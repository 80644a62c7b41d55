# Clipboard and shell execution, over Qt's desktop services; on a Wayland session the clipboard
# also goes through a data-control protocol of the compositor (protocols/data-control.xml), and
# the tokens that raise a window come from its xdg-activation (protocols/xdg-activation.xml).
add_library(norvane_linux_desktop STATIC
  ${CMAKE_CURRENT_LIST_DIR}/qt_clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wayland_clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wayland_activation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_shell_exec.cpp)
target_include_directories(norvane_linux_desktop PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(norvane_linux_desktop PUBLIC norvane_platform Qt6::Gui)
norvane_wayland_protocol(norvane_linux_desktop ${CMAKE_CURRENT_LIST_DIR}/protocols/data-control.xml data-control)
norvane_wayland_protocol(norvane_linux_desktop ${CMAKE_CURRENT_LIST_DIR}/protocols/xdg-activation.xml xdg-activation)
norvane_warnings(norvane_linux_desktop)
