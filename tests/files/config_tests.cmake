qs40_add_test(config_atomic_write_tests SOURCES config_atomic_write_test.cpp
  LIBS qs40core LABELS core)
qs40_add_test(ini_file_tests SOURCES ini_file_test.cpp LIBS qs40core LABELS core)
qs40_add_test(config_io_tests SOURCES config_io_test.cpp LIBS qs40core LABELS core)
qs40_add_test(config_location_tests SOURCES config_location_test.cpp LIBS qs40core LABELS core)
qs40_add_test(settings_file_tests SOURCES settings_file_test.cpp LIBS qs40core LABELS core)
qs40_add_test(config_read_tests SOURCES config_read_test.cpp LIBS qs40core LABELS core)
