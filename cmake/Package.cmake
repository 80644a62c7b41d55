# `cpack` in a build folder makes a .deb of what `cmake --install` installs, for the same prefix
# (configure with -DCMAKE_INSTALL_PREFIX=/usr for a package of the distribution's layout). Its
# post-install step gives the helper its capabilities.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norvane)
set(CPACK_PACKAGE_VENDOR Velqor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${NORVANE_UPDATE_HOST}/products/system-utility/velqor-norvane/")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "memory optimizer for the notification area
Velqor Norvane watches physical memory, commit charge and processor load,
and frees physical memory by trimming the resident pages of every process,
on a timer or on demand. It empties the clipboard, shows a live dashboard
with graphs and a process report, and answers global hot keys. norvane-cli
does the same from a terminal. Only the small helper norvane-reclaim holds
a capability: each user trims their own programs, and an administrator all.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap for the post-install step; Qt's platform plugins are packages of their own (X11's, and
# Wayland's, without which a Wayland desktop gets the program only through XWayland); the JPEG
# decoder is loaded at run time, so the shared-library scan does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin, qt6-qpa-plugins, qt6-wayland, libturbojpeg0")
# pkexec asks polkit before a trim of other users' programs; without it, each user trims their own.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec")
# What the program writes outside the package, for the purge to remove: the names that
# platform/linux/ gives the autostart entry (autostart_entry.h) and the swap-file service
# (swap_file_configuration.h).
set(NORVANE_AUTOSTART_FILE velqor-norvane.desktop)
set(NORVANE_SWAP_UNIT norvane-swapfile.service)
set(NORVANE_SWAP_FILE /norvane.swap)
set(scripts)
foreach(script postinst postrm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/${script}.in ${PROJECT_BINARY_DIR}/install/deb/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  list(APPEND scripts ${PROJECT_BINARY_DIR}/install/deb/${script})
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${scripts})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
