# TForm_Recorder, the recorder's window; part of the window library.
target_sources(qs40window PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/recorder_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorder_form.h
)
