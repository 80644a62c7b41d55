# Memory, processes, CPU counters, the single-instance mark and the privilege step on Linux.
pkg_check_modules(LIBCAP REQUIRED IMPORTED_TARGET GLOBAL libcap)
norvane_library(norvane_linux_system
  SOURCES
    proc_file.cpp
    proc_stat_parser.cpp
    text_fields.cpp
    process_name.cpp
    proc_process_reader.cpp
    pidfd.cpp
    kept_process.cpp
    kept_process_table.cpp
    meminfo.cpp
    cgroup_memory.cpp
    page_out.cpp
    process_advice.cpp
    linux_reclaimer.cpp
    linux_reclaim_meter.cpp
    linux_memory.cpp
    self_trim.cpp
    linux_processes.cpp
    linux_cpu.cpp
    linux_instance_event.cpp
    linux_privileges.cpp
    companion_binary.cpp
  DEPS norvane_platform PkgConfig::LIBCAP)
# The companions' folder as reached from the folder of the program and the CLI, so that an
# install found under another prefix than the configured one still finds them.
file(RELATIVE_PATH companion_folder ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/norvane)
set_source_files_properties(companion_binary.cpp PROPERTIES
  COMPILE_DEFINITIONS NORVANE_COMPANION_FOLDER_FROM_BINARY="${companion_folder}")
