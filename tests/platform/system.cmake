# The Linux memory, process, CPU, single-instance and privilege services.
add_executable(system_test_helper system_test_helper.cpp)
target_link_libraries(system_test_helper PRIVATE norvane_linux_system)
norvane_warnings(system_test_helper)

norvane_test(platform_system_test
  SOURCES
    proc_file_test.cpp
    proc_walk_test.cpp
    process_name_test.cpp
    cgroup_memory_test.cpp
    memory_test.cpp
    cpu_counters_test.cpp
    page_out_test.cpp
    self_trim_test.cpp
    instance_event_test.cpp
    privileges_test.cpp
    live_processes_test.cpp
    zram_reclaim_test.cpp
    kept_processes_test.cpp
    log_test.cpp
  DEPS norvane_linux_system norvane_engine)
add_dependencies(platform_system_test system_test_helper)
target_compile_definitions(platform_system_test PRIVATE
  NV_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures"
  NV_HELPER="$<TARGET_FILE:system_test_helper>"
  NV_SCRATCH_DIR="${CMAKE_CURRENT_BINARY_DIR}")

# The same suite without CAP_SYS_NICE: it may read other processes but not trim them. Taking
# a capability out of the bounding set needs root; elsewhere the run is reported as skipped.
add_test(NAME platform_system_without_sys_nice_test
  COMMAND sh -c "[ \"$(id -u)\" = 0 ] || { echo 'skipped: platform_system_without_sys_nice_test: needs root to take CAP_SYS_NICE out of the bounding set'; exit 77; }; exec setpriv --inh-caps=-sys_nice --bounding-set=-sys_nice \"$0\" --gtest_filter=LiveTrim.*:LiveReclaimer.*:DebugPrivilege.*:LiveProcesses.*"
          $<TARGET_FILE:platform_system_test>)
set_tests_properties(platform_system_without_sys_nice_test PROPERTIES SKIP_RETURN_CODE 77)
# Both measure their children's resident memory around live trims, which another suite's
# machine-wide trim would disturb.
set_tests_properties(platform_system_test platform_system_without_sys_nice_test PROPERTIES RESOURCE_LOCK machine_trim)
