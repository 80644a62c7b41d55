# Runs inside `cmake --install` (install(SCRIPT)): gives the installed norvane-reclaim the
# capability that it alone holds. Set by the install code before it: NORVANE_RECLAIM_INSTALLED
# (where this install puts it, under whatever prefix it was given: the program and the CLI find
# it relative to their own files) and NORVANE_RECLAIM_CAPABILITIES.
set(helper "${NORVANE_RECLAIM_INSTALLED}")
set(command "setcap ${NORVANE_RECLAIM_CAPABILITIES} ${helper}")
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  # A staged install (a package being built): file capabilities do not survive into an archive.
  message(STATUS "norvane-reclaim is staged without capabilities; once it is unpacked, root gives "
                 "them with: ${command} (the .deb's post-install step does this)")
  return()
endif()
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT uid STREQUAL "0")
  message(WARNING "norvane-reclaim was installed without its capabilities, because the install did "
                  "not run as root: norvane and norvane-cli cannot trim until it has "
                  "them. Install as root into a prefix that only root can change, for example with "
                  "the default prefix /usr/local: sudo cmake --install <build folder>")
  return()
endif()
find_program(NORVANE_SETCAP setcap PATHS /usr/sbin /sbin REQUIRED)
execute_process(COMMAND ${NORVANE_SETCAP} ${NORVANE_RECLAIM_CAPABILITIES} ${helper}
                RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "norvane-reclaim could not be given its capabilities (${command}): ${error}"
                      "The file system of ${helper} may not keep file capabilities.")
endif()
message(STATUS "Gave ${helper} the capabilities ${NORVANE_RECLAIM_CAPABILITIES}")
