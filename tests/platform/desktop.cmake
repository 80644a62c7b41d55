norvane_test(test_desktop_shell_exec SOURCES ${CMAKE_CURRENT_LIST_DIR}/desktop_shell_exec_test.cpp
  DEPS norvane_linux_desktop)
set_tests_properties(test_desktop_shell_exec PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

norvane_test(test_desktop_clipboard SOURCES ${CMAKE_CURRENT_LIST_DIR}/desktop_clipboard_test.cpp
  DEPS norvane_linux_desktop LABELS x11)
