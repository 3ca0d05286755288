target_sources(qs40core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/option_fields.cpp)
