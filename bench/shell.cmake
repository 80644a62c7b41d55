# Picture buttons: one LoadButtonPicture, and a tab click's three pictures.
add_executable(bench_pictures shell/pictures.cpp)
target_include_directories(bench_pictures PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_pictures PRIVATE norvane_shell Qt6::Test GTest::gtest benchmark::benchmark)
norvane_warnings(bench_pictures)
# The yardstick of bench/footprint/footprint.sh: a minimal Qt 6 tray program.
add_executable(bench_minimal_tray footprint/minimal_tray.cpp)
target_link_libraries(bench_minimal_tray PRIVATE Qt6::Widgets)
norvane_warnings(bench_minimal_tray)
# The process report of the shown window: an update with few, all or no rows changed.
add_executable(bench_report_rows shell/report_rows.cpp)
target_include_directories(bench_report_rows PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_report_rows PRIVATE norvane_shell Qt6::Test GTest::gtest benchmark::benchmark)
norvane_warnings(bench_report_rows)

# Start-up: the program beside a minimal Qt Widgets window, under X11 and Wayland (start/start.py).
add_executable(bench_start_minimal start/minimal_window.cpp)
target_link_libraries(bench_start_minimal PRIVATE Qt6::Widgets)
norvane_warnings(bench_start_minimal)
