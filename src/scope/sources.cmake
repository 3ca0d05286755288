target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/background_oscillogram.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/generator_parameters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/offset_code.cpp
  ${CMAKE_CURRENT_LIST_DIR}/panel_operations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/parameter_computation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scope_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/variant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/variant_controls.cpp
)
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/calibration_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/freq_calibration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tdc_calibration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zero_calibration.cpp
)
