# Client code for a Wayland protocol described in XML: wayland-scanner makes
# <name>-client-protocol.h and <name>-protocol.c, which go into `target` (the C code compiled
# on its own, without the project's C++ warning flags).
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET GLOBAL wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)

function(norvane_wayland_protocol target xml name)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/wayland_protocols)
  add_custom_command(
    OUTPUT ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${out}/${name}-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${out}/${name}-protocol.c
    DEPENDS ${xml}
    VERBATIM)
  add_library(${target}_${name}_protocol OBJECT ${out}/${name}-protocol.c)
  target_link_libraries(${target}_${name}_protocol PRIVATE PkgConfig::WAYLAND_CLIENT)
  target_sources(${target} PRIVATE ${out}/${name}-client-protocol.h $<TARGET_OBJECTS:${target}_${name}_protocol>)
  target_include_directories(${target} PRIVATE ${out})
  target_link_libraries(${target} PRIVATE PkgConfig::WAYLAND_CLIENT)
endfunction()
