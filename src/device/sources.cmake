target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tty_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tty_enumeration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tty_port.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usb_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usb_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usb_texts.cpp
)
