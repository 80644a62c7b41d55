# The registry kept in hive files, its autostart mirror and the swap-file configuration.
norvane_library(norvane_linux_registry
  SOURCES
    hive.cpp
    hive_encoding.cpp
    hive_text.cpp
    durable_file.cpp
    hive_file.cpp
    autostart_entry.cpp
    hive_registry.cpp
    hive_environment.cpp
    swap_file_configuration.cpp
  DEPS norvane_platform)
