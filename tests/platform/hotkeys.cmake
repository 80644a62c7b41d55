# Grabs against a real X server (Xvfb under scripts/test), and the refusal without one.
norvane_test(platform_hotkeys_x11_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/hotkeys_x11_test.cpp
  DEPS norvane_linux_hotkeys PkgConfig::XCB_HOTKEYS LABELS x11)
norvane_test(platform_hotkeys_offscreen_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/hotkeys_offscreen_test.cpp
  DEPS norvane_linux_hotkeys)
set_tests_properties(platform_hotkeys_offscreen_test PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The desktop portal's hot keys against a fake portal on a private session bus.
norvane_test(platform_portal_hotkeys_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/portal_hotkeys_test.cpp
  DEPS norvane_linux_hotkeys Qt6::DBus)
target_compile_definitions(platform_portal_hotkeys_test PRIVATE NORVANE_FAKE_PORTAL="${PROJECT_SOURCE_DIR}/tests/fakes/fake_portal.py")
