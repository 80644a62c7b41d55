# What trimming costs a program at work (bench/refault) and what it gains with swap (bench/reclaim).
foreach(name refault reclaim)
  add_executable(bench_${name} ${name}/${name}_bench.cpp)
  target_include_directories(bench_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(bench_${name} PRIVATE norvane_engine norvane_linux_system)
  norvane_warnings(bench_${name})
endforeach()
