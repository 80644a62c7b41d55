norvane_test(platform_hive_text_test SOURCES hive_text_test.cpp DEPS norvane_linux_registry)
norvane_test(platform_hive_registry_test SOURCES hive_registry_test.cpp DEPS norvane_linux_registry PkgConfig::LIBCAP)
norvane_test(platform_swap_file_configuration_test SOURCES swap_file_configuration_test.cpp
  DEPS norvane_linux_registry PkgConfig::LIBCAP)
norvane_test(platform_hive_processes_test SOURCES hive_processes_test.cpp DEPS norvane_linux_registry)
norvane_test(platform_hive_environment_test SOURCES hive_environment_test.cpp DEPS norvane_linux_registry PkgConfig::LIBCAP)

if(NORVANE_FUZZ)
  # tools/fuzz-hive runs it.
  norvane_fuzzer(platform_hive_parser_fuzz SOURCES hive_parser_fuzz.cpp DEPS norvane_linux_registry)
endif()
