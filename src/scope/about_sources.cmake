target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/about_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/first_start_language.cpp
)
