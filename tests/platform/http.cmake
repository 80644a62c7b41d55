norvane_test(platform_http_curl_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_curl_test.cpp ${CMAKE_CURRENT_LIST_DIR}/http_fetcher_test.cpp
  DEPS norvane_linux_http norvane_linux_fetch Threads::Threads)
target_compile_definitions(platform_http_curl_test PRIVATE NV_FETCHER="$<TARGET_FILE:norvane-fetch>")
add_dependencies(platform_http_curl_test norvane-fetch)
