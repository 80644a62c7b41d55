# How the program and the CLI have processes trimmed: in process as root, through the helper
# norvane-reclaim otherwise (through pkexec for other users' and the system's); and the
# capability drop of the program at start.
norvane_library(norvane_linux_reclaim
  SOURCES
    reclaim_protocol.cpp
    helper_reclaimer.cpp
    user_reclaimer.cpp
    capability_drop.cpp
  DEPS norvane_linux_system)
# The program and the CLI look for the helper beside their own binary first, then here.
target_compile_definitions(norvane_linux_reclaim PRIVATE NORVANE_RECLAIM_PATH="${NORVANE_RECLAIM_PATH}")
