# A trim pass through the helper norvane-reclaim beside the same pass in process (reclaim-call).
add_executable(bench_reclaim_call reclaim_call.cpp refresh/extra_processes.cpp)
target_include_directories(bench_reclaim_call PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(bench_reclaim_call PRIVATE norvane_linux_reclaim norvane_reclaim_helper)
target_compile_definitions(bench_reclaim_call PRIVATE NORVANE_RECLAIM="$<TARGET_FILE:norvane-reclaim>")
add_dependencies(bench_reclaim_call norvane-reclaim)
norvane_warnings(bench_reclaim_call)
