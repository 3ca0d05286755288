# The INI layer, the configuration reader and writer, the settings file and the atomic file
# replacement they share with the data file.
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/atomic_write.cpp
  ${CMAKE_CURRENT_LIST_DIR}/config_io.cpp
  ${CMAKE_CURRENT_LIST_DIR}/config_location.cpp
  ${CMAKE_CURRENT_LIST_DIR}/config_read.cpp
  ${CMAKE_CURRENT_LIST_DIR}/config_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ini_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_file.cpp
)
