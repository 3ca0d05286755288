target_sources(qs40window PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/about_box.cpp
)
