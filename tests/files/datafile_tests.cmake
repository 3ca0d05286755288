# Data file, exports and their file helpers.
qs40_add_test(file_replace_tests SOURCES file_replace_test.cpp LIBS qs40core LABELS core)
qs40_add_test(file_handles_tests SOURCES file_handles_test.cpp LIBS qs40core LABELS core)
qs40_add_test(data_file_format_tests SOURCES data_file_format_test.cpp LIBS qs40core LABELS core)
qs40_add_test(data_file_tests SOURCES data_file_test.cpp LIBS qs40core LABELS core)
qs40_add_test(data_file_info_tests SOURCES data_file_info_test.cpp LIBS qs40core LABELS core)
qs40_add_test(export_text_tests SOURCES export_text_test.cpp LIBS qs40core LABELS core)
qs40_add_test(export_raw_tests SOURCES export_raw_test.cpp LIBS qs40core LABELS core)
qs40_add_test(export_bitmap_tests SOURCES export_bitmap_test.cpp LIBS qs40core LABELS core)
