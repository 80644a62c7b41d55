# The update check's HTTP GET: libcurl, used only by norvane-fetch, and the program's side that
# runs norvane-fetch for each request.
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
add_library(norvane_linux_http STATIC ${CMAKE_CURRENT_LIST_DIR}/curl_http.cpp)
target_include_directories(norvane_linux_http PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(norvane_linux_http PUBLIC norvane_platform PRIVATE PkgConfig::CURL)
norvane_warnings(norvane_linux_http)

norvane_library(norvane_linux_fetch
  SOURCES fetch_protocol.cpp fetcher_http.cpp
  DEPS norvane_linux_system)
# Found like the helper: beside the program's binary first, then here.
target_compile_definitions(norvane_linux_fetch PRIVATE NORVANE_FETCH_PATH="${NORVANE_FETCH_PATH}")
