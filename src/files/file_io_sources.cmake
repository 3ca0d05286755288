# What every file of the program is read and written with: the owners of open descriptors,
# streams and temporary files, and the whole-file read.
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/file_handles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_read.cpp
  ${CMAKE_CURRENT_LIST_DIR}/temporary_file.cpp
)
