# Tests of the main window, its captions, its start-up and the single-instance rule.
find_package(Qt6 REQUIRED COMPONENTS Test)

qs40_add_test(captions_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/captions_test.cpp
  LIBS qs40window LABELS gui)

qs40_add_test(main_window_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/main_window_config_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_controls_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_files_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_language_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_start_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/termination_signals_test.cpp
  LIBS qs40window Qt6::Test LABELS gui)
target_include_directories(main_window_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/device)

qs40_add_test(single_instance_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/single_instance_test.cpp
  LIBS qs40window Qt6::Test LABELS gui)

# The window with its acquisition thread over the simulated instrument.
qs40_add_test(main_window_acquisition_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_window_acquisition_test.cpp
  LIBS qs40window qs40sim LABELS gui)
target_include_directories(main_window_acquisition_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/device)
# The simulator's headers use Qt's keywords as names.
target_compile_definitions(main_window_acquisition_tests PRIVATE QT_NO_KEYWORDS)

# The long run of the window under faults: built, not run by the tests (scripts/soak runs it).
add_executable(window_soak ${PROJECT_SOURCE_DIR}/tests/soak/window_soak.cpp)
target_link_libraries(window_soak PRIVATE qs40window qs40sim qs40_warnings)
target_compile_definitions(window_soak PRIVATE QT_NO_KEYWORDS)

# Help > About, Qt's own texts, the first start's language and the radio groups across variants.
qs40_add_test(main_window_about_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_window_about_test.cpp
  LIBS qs40window qs40sim LABELS gui)
target_include_directories(main_window_about_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/device)
target_compile_definitions(main_window_about_tests PRIVATE QT_NO_KEYWORDS)

# The option dialogs over the window.
qs40_add_test(option_dialogs_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/option_dialogs_test.cpp
  LIBS qs40window Qt6::Test LABELS gui)
target_include_directories(option_dialogs_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/device)

# The calibrations through the window over the simulated instrument.
qs40_add_test(main_window_calibration_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_window_calibration_test.cpp
  LIBS qs40window qs40sim LABELS gui)
target_include_directories(main_window_calibration_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/device)
target_compile_definitions(main_window_calibration_tests PRIVATE QT_NO_KEYWORDS)
