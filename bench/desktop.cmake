# A desktop made small, with and without auto-optimization (bench/desktop/run; root only).
add_executable(bench_desktop_workload desktop/workload.cpp)
norvane_warnings(bench_desktop_workload)
add_executable(bench_desktop_auto desktop/auto_driver.cpp)
target_link_libraries(bench_desktop_auto PRIVATE norvane_engine norvane_linux_system norvane_linux_reclaim)
norvane_warnings(bench_desktop_auto)
