# The calibration dialogs, built into the window's library.
target_sources(qs40window PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/calibration_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tdc_calibrate_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/time_calibrate_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zero_calibrate_form.cpp
)
