# What `cmake --install` puts where (GNU install directories under CMAKE_INSTALL_PREFIX, DESTDIR
# honoured): the program, the CLI, the trimming helper with its capability and the polkit action
# that runs it as root for a machine-wide trim, the update check's fetcher, and what a desktop
# expects of an application (menu entry, theme icons, AppStream metadata, manual pages, bash
# completion).
include(GNUInstallDirs)

set(NORVANE_RECLAIM_CAPABILITIES "cap_sys_nice+ep")
set(resources ${PROJECT_SOURCE_DIR}/resources)
set(generated ${PROJECT_BINARY_DIR}/install)

install(TARGETS norvane norvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS norvane-reclaim norvane-fetch RUNTIME DESTINATION ${NORVANE_RECLAIM_INSTALL_DIR})
# A stripped install (cpack, cmake --install --strip) also drops the compiler's notes, as a
# Debian package build does: strip keeps them. Before the capabilities: rewriting a file
# drops them.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
                foreach(binary bin/norvane bin/norvane-cli ${NORVANE_RECLAIM_INSTALL_DIR}/norvane-reclaim
                               ${NORVANE_RECLAIM_INSTALL_DIR}/norvane-fetch)
                  execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${binary}\" COMMAND_ERROR_IS_FATAL ANY)
                endforeach()
              endif()")
install(CODE "set(NORVANE_RECLAIM_INSTALLED \"\${CMAKE_INSTALL_PREFIX}/${NORVANE_RECLAIM_INSTALL_DIR}/norvane-reclaim\")
              set(NORVANE_RECLAIM_CAPABILITIES \"${NORVANE_RECLAIM_CAPABILITIES}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/HelperCapabilities.cmake)
configure_file(${resources}/polkit/com.velqor.norvane.trim-system.policy.in
               ${generated}/com.velqor.norvane.trim-system.policy @ONLY)
install(FILES ${generated}/com.velqor.norvane.trim-system.policy DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)

install(FILES ${resources}/desktop/velqor-norvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${resources}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
# The release named in the metadata is this build's (SOURCE_DATE_EPOCH fixes the date).
string(TIMESTAMP NORVANE_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${resources}/desktop/com.velqor.norvane.metainfo.xml.in ${generated}/com.velqor.norvane.metainfo.xml @ONLY)
install(FILES ${generated}/com.velqor.norvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the package's changelog are installed compressed, as Debian wants them.
function(norvane_gzip source target)
  add_custom_command(OUTPUT ${target} COMMAND gzip -9nc ${source} > ${target} DEPENDS ${source} VERBATIM)
endfunction()
set(pages)
foreach(page norvane norvane-cli)
  configure_file(${resources}/man/${page}.1.in ${generated}/${page}.1 @ONLY)
  norvane_gzip(${generated}/${page}.1 ${generated}/${page}.1.gz)
  list(APPEND pages ${generated}/${page}.1.gz)
endforeach()
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${resources}/completion/norvane-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# Lintian's overrides, each with its reason (they name the paths of a package under /usr).
install(FILES ${resources}/lintian/norvane DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

set(NORVANE_MAINTAINER "Velqor <${NORVANE_SUPPORT_ADDRESS}>")
string(TIMESTAMP NORVANE_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/changelog.in ${generated}/changelog @ONLY)
norvane_gzip(${generated}/changelog ${generated}/changelog.gz)
install(FILES ${generated}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/deb/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/norvane)

add_custom_target(install_pages ALL DEPENDS ${pages} ${generated}/changelog.gz)
