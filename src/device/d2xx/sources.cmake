# The D2XX interface and its hardware backends: the serial-port backend (termios) and the
# libftdi1 backend, with the port table and the USB listing they share. libftdi1 brings
# libusb-1.0, which the libftdi1 backend also calls directly for its transfers.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBFTDI REQUIRED IMPORTED_TARGET GLOBAL libftdi1)
pkg_check_modules(LIBUSB REQUIRED IMPORTED_TARGET GLOBAL libusb-1.0)
target_link_libraries(qs40core PRIVATE PkgConfig::LIBFTDI PkgConfig::LIBUSB)
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_context.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_devices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_port.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftdi_translation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/libftdi_bus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/receive_queue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tty_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tty_enumeration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tty_lock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tty_port.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usb_listing.cpp
)
