# One place for the warning flags, applied per target.
function(norvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
  if(NORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A static library of the project's own code (the logic folders and the Qt-free Linux services
# alike); links only what it names. What its folder may include is told in ARCHITECTURE.md.
function(norvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  norvane_warnings(${name})
endfunction()

# A GoogleTest suite registered with CTest. LABELS x11 marks suites that need a display. Its
# name is <folder>_<what>_test, <folder> being the folder under tests/ that holds it, so that
# `ctest -R '^<folder>_'` runs one folder's suites.
function(norvane_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" folder "${relative}")
  if(NOT name MATCHES "^${folder}_[a-z0-9_]+_test$")
    message(FATAL_ERROR "The suite ${name} in tests/${relative} must be named ${folder}_<what>_test")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  norvane_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# A libFuzzer target over the program's own libraries, for a build configured with clang and
# NORVANE_FUZZ=ON, where every library carries the sanitizers and the fuzzer's coverage
# (tools/fuzz-hive and tools/fuzz-ini make that build and run the targets).
function(norvane_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz AUTOMOC OFF)
  norvane_warnings(${name})
endfunction()
