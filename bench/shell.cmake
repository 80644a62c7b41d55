# Picture buttons: one LoadButtonPicture, and a tab click's three pictures.
add_executable(bench_pictures shell/pictures.cpp)
target_include_directories(bench_pictures PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_pictures PRIVATE norvane_shell Qt6::Test GTest::gtest benchmark::benchmark)
norvane_warnings(bench_pictures)
