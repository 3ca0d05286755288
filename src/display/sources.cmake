target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fft.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sinc_interpolator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spectrum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit_format.cpp
)
