# The recorder's core: its file, texts, information lines, companion and session.
qs40_add_test(recorder_tests SOURCES recorder_info_test.cpp recorder_session_test.cpp
              LIBS qs40core LABELS core)
