# The acquisition thread, frame acceptance and decoding, the recorder hand-over and the link
# watchdog.
target_sources(qs40core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/acquisition_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/calibration_passes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fine_trigger_offset.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_receiver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_watchdog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorder_handover.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scope_requests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scope_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sync_queue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/watchdog_texts.cpp
)
