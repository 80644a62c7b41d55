# One place for the warning flags, applied per target.
function(norvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
  if(NORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A logic library: no Qt, no Linux headers; links only what it names.
function(norvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  norvane_warnings(${name})
endfunction()

# A GoogleTest suite registered with CTest. LABELS x11 marks suites that need a display.
function(norvane_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  norvane_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# Adds the folders that already carry a CMakeLists.txt.
function(norvane_subdirectories)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# Includes the <area>.cmake files of this folder, one per area of the program.
macro(norvane_include_areas)
  foreach(area ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${area}.cmake)
      include(${CMAKE_CURRENT_SOURCE_DIR}/${area}.cmake)
    endif()
  endforeach()
endmacro()
