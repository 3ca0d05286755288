# What a desktop expects of an installed QS40 (icon, metainfo, file types, man pages, the
# package's documents) and the Debian package that CPack builds from the same install rules.
# QS40_APP_ID is set by the top-level CMakeLists, before the programs that use it.
include(GNUInstallDirs)

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(QS40_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/qs40)

install(FILES ${_pkg}/${QS40_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/${QS40_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg}/${QS40_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_pkg}/${QS40_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME ${QS40_APP_ID}.xml)
if(TARGET qs40-sim)
  install(TARGETS qs40-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The package's version is the project's, with the Debian revision the changelog gives.
file(STRINGS ${_pkg}/changelog _top LIMIT_COUNT 1)
if(NOT _top MATCHES "^qs40 \\(${PROJECT_VERSION}-([0-9]+)\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}-N")
endif()
set(_debian_revision ${CMAKE_MATCH_1})

# Debian keeps documents compressed, without a time stamp so that a rebuild gives the same bytes.
set(_gen ${CMAKE_CURRENT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_gen}/man)
add_custom_command(OUTPUT ${_gen}/changelog.Debian.gz
  COMMAND gzip -9nc ${_pkg}/changelog > ${_gen}/changelog.Debian.gz
  DEPENDS ${_pkg}/changelog VERBATIM)
set(_docs ${_gen}/changelog.Debian.gz)

# Man pages from the programs' own --help, so that they never disagree with it. help2man runs
# each program through a stand-in of the same name (help-for-man puts the usage lines in the form
# help2man reads), so that the page names the program and not the build folder.
find_program(QS40_HELP2MAN help2man)
set(_qs40_name "control and display program of the ZR40 USB oscilloscopes")
set(_qs40-cli_name "acquire from a ZR40 oscilloscope and describe data files without a window")
set(_qs40-sim_name "serve a simulated ZR40 oscilloscope on a pseudo-terminal")
if(QS40_HELP2MAN)
  foreach(program qs40 qs40-cli qs40-sim)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(_page ${_gen}/man/${program}.1)
    set(_stand_in_dir ${_gen}/help/${program})
    file(GENERATE OUTPUT ${_stand_in_dir}/${program}
      CONTENT "#!/bin/sh\nexec '${_pkg}/man/help-for-man' ${program} '$<TARGET_FILE:${program}>' \"$@\"\n"
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                       WORLD_READ WORLD_EXECUTE)
    add_custom_command(OUTPUT ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E env "PATH=${_stand_in_dir}:$ENV{PATH}"
              ${QS40_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
              --name=${_${program}_name} --include=${_pkg}/man/${program}.h2m
              --output=${_page} ${program}
      COMMAND gzip -9nf ${_page}
      DEPENDS ${program} ${_pkg}/man/${program}.h2m ${_pkg}/man/help-for-man
      VERBATIM)
    list(APPEND _docs ${_page}.gz)
    install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
else()
  message(STATUS "help2man not found: no man pages (scripts/install-deps installs it)")
endif()
# Sanitizer builds never make a package; their programs need not run at build time.
if(QS40_SANITIZE OR QS40_FUZZ)
  add_custom_target(qs40-docs DEPENDS ${_docs})
else()
  add_custom_target(qs40-docs ALL DEPENDS ${_docs})
endif()
install(FILES ${_pkg}/copyright ${_gen}/changelog.Debian.gz DESTINATION ${QS40_DOC_DIR})
install(FILES ${_pkg}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME qs40)

# The Debian package: scripts/package builds it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qs40)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${_debian_revision})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "QS40 developers <packages@qs40.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://qs40.org/")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control and display program of the ZR40 USB oscilloscopes")
file(READ ${_pkg}/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
# The libraries the programs link come from dpkg-shlibdeps; Qt loads the SVG icon engine as a
# plugin, which no binary names, so that dependency is given by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Qt's own texts (standard buttons, file dialog) in Russian.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
