# Data file, exports and their file helpers.
qs40_add_test(file_replace_tests SOURCES file_replace_test.cpp LIBS qs40core LABELS core)
qs40_add_test(file_handles_tests SOURCES file_handles_test.cpp LIBS qs40core LABELS core)
qs40_add_test(data_file_format_tests SOURCES data_file_format_test.cpp LIBS qs40core LABELS core)
qs40_add_test(data_file_tests SOURCES data_file_test.cpp LIBS qs40core LABELS core)
qs40_add_test(data_file_info_tests SOURCES data_file_info_test.cpp LIBS qs40core LABELS core)
qs40_add_test(data_file_damage_tests SOURCES data_file_damage_test.cpp LIBS qs40core LABELS core)
qs40_add_test(export_text_tests SOURCES export_text_test.cpp LIBS qs40core LABELS core)
qs40_add_test(export_raw_tests SOURCES export_raw_test.cpp LIBS qs40core LABELS core)
qs40_add_test(export_bitmap_tests SOURCES export_bitmap_test.cpp LIBS qs40core LABELS core)
qs40_add_test(file_read_tests SOURCES file_read_test.cpp LIBS qs40core LABELS core)
# Exports that other tools open; the round trips run the real sigrok-cli when it is installed.
qs40_add_test(export_sigrok_tests SOURCES export_sigrok_test.cpp LIBS qs40core PkgConfig::QS40_LIBZIP
              LABELS core)
qs40_add_test(export_vcd_tests SOURCES export_vcd_test.cpp LIBS qs40core LABELS core)
find_program(QS40_SIGROK_CLI sigrok-cli)
if(QS40_SIGROK_CLI)
  qs40_add_test(sigrok_cli_roundtrip_tests SOURCES sigrok_cli_roundtrip_test.cpp LIBS qs40core
                LABELS core)
  target_compile_definitions(sigrok_cli_roundtrip_tests PRIVATE
                             QS40_SIGROK_CLI="${QS40_SIGROK_CLI}")
else()
  message(WARNING "sigrok-cli not found: the round trips through it are not built "
                  "(scripts/install-deps installs it)")
endif()
qs40_add_test(recording_convert_tests SOURCES recording_convert_test.cpp LIBS qs40core LABELS core)
