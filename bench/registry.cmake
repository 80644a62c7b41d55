# Reading and writing one value of a hive of 1000 values (temporary folder, so its file system).
add_executable(bench_registry registry.cpp)
target_link_libraries(bench_registry PRIVATE norvane_linux_registry benchmark::benchmark)
norvane_warnings(bench_registry)
