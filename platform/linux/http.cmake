# HTTP GET over libcurl.
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
add_library(norvane_linux_http STATIC ${CMAKE_CURRENT_LIST_DIR}/curl_http.cpp)
target_include_directories(norvane_linux_http PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(norvane_linux_http PUBLIC norvane_platform PRIVATE PkgConfig::CURL)
norvane_warnings(norvane_linux_http)
