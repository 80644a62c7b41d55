# Clipboard and shell execution, over Qt's desktop services; on a Wayland session the clipboard
# also goes through a data-control protocol of the compositor, whose client code wayland-scanner
# makes from protocols/data-control.xml.
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET GLOBAL wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
set(data_control_xml ${CMAKE_CURRENT_LIST_DIR}/protocols/data-control.xml)
set(data_control_out ${CMAKE_CURRENT_BINARY_DIR}/wayland_protocols)
add_custom_command(
  OUTPUT ${data_control_out}/data-control-client-protocol.h ${data_control_out}/data-control-protocol.c
  COMMAND ${CMAKE_COMMAND} -E make_directory ${data_control_out}
  COMMAND ${WAYLAND_SCANNER} client-header ${data_control_xml} ${data_control_out}/data-control-client-protocol.h
  COMMAND ${WAYLAND_SCANNER} private-code ${data_control_xml} ${data_control_out}/data-control-protocol.c
  DEPENDS ${data_control_xml}
  VERBATIM)

# Generated C code, compiled without the project's C++ warning flags.
add_library(norvane_data_control_protocol OBJECT ${data_control_out}/data-control-protocol.c)
target_link_libraries(norvane_data_control_protocol PRIVATE PkgConfig::WAYLAND_CLIENT)

add_library(norvane_linux_desktop STATIC
  ${CMAKE_CURRENT_LIST_DIR}/qt_clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wayland_clipboard.cpp
  ${data_control_out}/data-control-client-protocol.h
  ${CMAKE_CURRENT_LIST_DIR}/qt_shell_exec.cpp
  $<TARGET_OBJECTS:norvane_data_control_protocol>)
target_include_directories(norvane_linux_desktop PUBLIC ${PROJECT_SOURCE_DIR} PRIVATE ${data_control_out})
target_link_libraries(norvane_linux_desktop PUBLIC norvane_platform Qt6::Gui PRIVATE PkgConfig::WAYLAND_CLIENT)
norvane_warnings(norvane_linux_desktop)
