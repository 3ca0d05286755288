# The recorder without its window: the file it appends to, its texts and information lines,
# the companion text file and the session the window and the command line share.
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/recorder_companion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorder_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorder_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorder_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorder_texts.cpp
)
