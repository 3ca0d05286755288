target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/scope_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/variant.cpp
)
