# The USB link to the instrument, the byte protocol, the shared link state and the FPGA image.
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fpga_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/protocol_codec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/protocol_packet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/protocol_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/protocol_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/protocol_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usb_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/usb_texts.cpp
)
