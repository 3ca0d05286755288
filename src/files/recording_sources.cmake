# The recorder's file read back and converted for other tools.
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/recording_convert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recording_reader.cpp
)
