norvane_test(test_http_curl SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_curl_test.cpp
  DEPS norvane_linux_http Threads::Threads)
