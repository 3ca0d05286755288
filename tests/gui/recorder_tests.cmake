# The recorder's window, alone and from the main window over the simulated instrument.
qs40_add_test(recorder_form_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/recorder_form_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/recorder_window_test.cpp
  LIBS qs40window qs40sim LABELS gui)
target_include_directories(recorder_form_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/device)
target_compile_definitions(recorder_form_tests PRIVATE QT_NO_KEYWORDS)
