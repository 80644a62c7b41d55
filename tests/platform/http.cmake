norvane_test(platform_http_curl_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_curl_test.cpp
  DEPS norvane_linux_http Threads::Threads)
