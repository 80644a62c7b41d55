# Optimized builds are hardened as Debian hardens its packages: position-independent
# executables, a stack protector, the checked variants of the C library's string and memory
# functions, and a read-only relocation table bound at start. (The fuzz build leaves the
# checking to its sanitizers.)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
set(optimized "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
if(NOT NORVANE_FUZZ)
  add_compile_options("$<${optimized}:-fstack-protector-strong>")
  # _FORTIFY_SOURCE needs the optimizer: a Debug build would only warn that it does nothing.
  add_compile_definitions("$<${optimized}:_FORTIFY_SOURCE=2>")
endif()
add_link_options(LINKER:-z,relro,-z,now)

# A package build takes the distribution's flags on top: configure with
# -DNORVANE_DPKG_BUILDFLAGS=ON (CPPFLAGS join the compilers' flags, as debhelper does).
option(NORVANE_DPKG_BUILDFLAGS "Add the flags of dpkg-buildflags, as a Debian package build does" OFF)
if(NORVANE_DPKG_BUILDFLAGS)
  find_program(NORVANE_DPKG_BUILDFLAGS_PROGRAM dpkg-buildflags REQUIRED)
  foreach(flags CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${NORVANE_DPKG_BUILDFLAGS_PROGRAM} --get ${flags}
                    OUTPUT_VARIABLE dpkg_${flags} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  string(APPEND CMAKE_C_FLAGS " ${dpkg_CPPFLAGS} ${dpkg_CFLAGS}")
  string(APPEND CMAKE_CXX_FLAGS " ${dpkg_CPPFLAGS} ${dpkg_CXXFLAGS}")
  string(APPEND CMAKE_EXE_LINKER_FLAGS " ${dpkg_LDFLAGS}")
endif()
