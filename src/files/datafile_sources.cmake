# Data file, exports and the file helpers they share.
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/data_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_file_damage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_file_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_file_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export_bitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export_common.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export_raw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_box_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_replace.cpp
)
