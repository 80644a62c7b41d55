# The fill rate of a whole-memory tweak pass against plain memset of the same block.
add_executable(bench_tweak tweak.cpp)
target_link_libraries(bench_tweak PRIVATE norvane_engine norvane_linux_system benchmark::benchmark)
norvane_warnings(bench_tweak)
