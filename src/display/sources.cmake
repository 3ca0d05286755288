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
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/window_caption.cpp
  ${CMAKE_CURRENT_LIST_DIR}/generator_readout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/color_swatches.cpp
  ${CMAKE_CURRENT_LIST_DIR}/variant_prompt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_routine.cpp
)
