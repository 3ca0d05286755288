# The option dialogs, built into the window's library.
target_sources(qs40window PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/option_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trigger_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fft_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/generator_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/color_dialog.cpp
)
