# The process snapshot against ps (bench/footprint/footprint.sh measures the idle footprint).
add_executable(bench_snapshot snapshot.cpp)
target_link_libraries(bench_snapshot PRIVATE norvane_linux_system norvane_engine benchmark::benchmark)
norvane_warnings(bench_snapshot)
