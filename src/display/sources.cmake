target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/sinc_interpolator.cpp
)
