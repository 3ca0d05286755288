# Warning and sanitizer settings shared by every target of ours.
# Warnings stop the build only where someone will fix them at once (scripts/test and CI turn
# QS40_WERROR on); a user's or a packager's build with another compiler or other flags gets a
# program.
option(QS40_WERROR "Treat compiler warnings as errors" OFF)
add_library(qs40_warnings INTERFACE)
target_compile_options(qs40_warnings INTERFACE -Wall -Wextra
  # GCC 12 reports std::string copies as overlapping at -O3 (a known false positive).
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
if(QS40_WERROR)
  target_compile_options(qs40_warnings INTERFACE -Werror)
endif()

if(QS40_SANITIZE)
  string(REPLACE ";" "," _qs40_san "${QS40_SANITIZE}")
  add_compile_options(-fsanitize=${_qs40_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_qs40_san})
endif()

if(QS40_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(WARNING "QS40_FUZZ needs clang; fuzz targets are not built")
    set(QS40_FUZZ OFF)
  else()
    # Coverage for the whole core, so that the fuzzers see into it.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# qs40_add_test(name SOURCES ... [LIBS ...] [LABELS ...])
function(qs40_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE qs40_warnings GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  # Passed through gtest_discover_tests, "core;threads" would arrive as LABELS core plus a stray
  # property "threads"; so the labels are set by a file CTest reads after the discovered tests.
  set(_labels_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
  file(WRITE "${_labels_file}"
    "if(DEFINED ${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_labels_file}")
endfunction()
