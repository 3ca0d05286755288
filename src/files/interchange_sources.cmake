# Exports that other tools open: sigrok sessions (zip files written with libzip) and VCD.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QS40_LIBZIP REQUIRED IMPORTED_TARGET GLOBAL libzip)
target_link_libraries(qs40core PRIVATE PkgConfig::QS40_LIBZIP)
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/export_interchange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export_sigrok.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export_vcd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sigrok_session.cpp
)
