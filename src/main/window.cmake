# The main window and the qs40 program.
include(GNUInstallDirs)

add_library(qs40window STATIC
  ${CMAKE_CURRENT_LIST_DIR}/captions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/front_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/glyphs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hand_over.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_about.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_acquisition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_calibration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_recorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paint_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_translations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/single_instance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/termination_signals.cpp
)
set_target_properties(qs40window PROPERTIES AUTOMOC ON)
# The dialogs: each fragment in src/dialogs adds its own files.
file(GLOB _dialog_fragments ${PROJECT_SOURCE_DIR}/src/dialogs/*.cmake)
list(SORT _dialog_fragments)
foreach(fragment ${_dialog_fragments})
  include(${fragment})
endforeach()
# Where the installed manual lies.
target_compile_definitions(qs40window PRIVATE QS40_DATA_DIR="${CMAKE_INSTALL_FULL_DATADIR}/qs40")
target_link_libraries(qs40window PUBLIC qs40qt qs40core Qt6::Widgets Qt6::Network PRIVATE qs40_warnings)

add_executable(qs40 ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
set_target_properties(qs40 PROPERTIES OUTPUT_NAME qs40)
target_link_libraries(qs40 PRIVATE qs40window qs40sim qs40_warnings)
target_compile_definitions(qs40 PRIVATE QS40_APP_ID="${QS40_APP_ID}")
# The window's icon is the one the desktop shows, built in so that it needs no installation.
qt_add_resources(qs40 qs40_icon PREFIX / BASE ${PROJECT_SOURCE_DIR}/packaging
  FILES ${PROJECT_SOURCE_DIR}/packaging/${QS40_APP_ID}.svg)
install(TARGETS qs40 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# udev reads its rules from /usr/lib/udev/rules.d and /etc/udev/rules.d only, whatever the
# prefix of the program.
set(QS40_UDEV_RULES_DIR "/usr/lib/udev/rules.d" CACHE PATH "Where the udev rule is installed")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/60-qs40.rules DESTINATION ${QS40_UDEV_RULES_DIR})

# The manual: beside the executable in the build tree, in /usr/share/qs40 once installed
# (where Help > Contents looks for it).
add_custom_command(TARGET qs40 POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/docs/manual/qs40.html
          $<TARGET_FILE_DIR:qs40>/qs40.html)
install(FILES ${PROJECT_SOURCE_DIR}/docs/manual/qs40.html DESTINATION ${CMAKE_INSTALL_DATADIR}/qs40)
