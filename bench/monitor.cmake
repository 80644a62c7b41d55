# The dashboard's status refresh against top, and the soak harness of the running window.
add_executable(bench_refresh refresh/refresh_bench.cpp refresh/extra_processes.cpp)
target_link_libraries(bench_refresh PRIVATE norvane_shell norvane_linux_registry benchmark::benchmark)
target_include_directories(bench_refresh PRIVATE ${PROJECT_SOURCE_DIR})
norvane_warnings(bench_refresh)

add_executable(soak_harness refresh/soak_harness.cpp)
target_link_libraries(soak_harness PRIVATE norvane_shell norvane_linux_registry)
target_include_directories(soak_harness PRIVATE ${PROJECT_SOURCE_DIR})
norvane_warnings(soak_harness)
