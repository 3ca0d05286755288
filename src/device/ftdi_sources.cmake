# The libftdi1 backend of the D2XX interface and the helpers it shares with the serial-port
# backend. libftdi1 brings libusb-1.0, which the backend also calls directly for its transfers.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBFTDI REQUIRED IMPORTED_TARGET GLOBAL libftdi1)
pkg_check_modules(LIBUSB REQUIRED IMPORTED_TARGET GLOBAL libusb-1.0)
target_link_libraries(qs40core PRIVATE PkgConfig::LIBFTDI PkgConfig::LIBUSB)
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_devices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_port.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_translation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/receive_queue.cpp
)
