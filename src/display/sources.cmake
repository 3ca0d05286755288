target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fft.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sinc_interpolator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spectrum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/info_readings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/info_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mouse_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trace_drawer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plot_marks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/layout.cpp
)
