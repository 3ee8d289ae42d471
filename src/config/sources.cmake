list(APPEND LUMETRA_CORE_SOURCES
  src/config/ini_text.cpp
  src/config/release_freshness.cpp
  src/config/server_config.cpp
  src/config/version.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/config/installed_product.cpp
  src/config/system_config_platform.cpp)
