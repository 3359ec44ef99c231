# What `cmake --install` puts in place and what `cpack -G DEB` packs: the programs, the
# desktop entry with its icons, the AppStream metadata, the man pages and the licence.
include(GNUInstallDirs)

set(TQ820_APP_ID pl.velmor.tq820)
set(TQ820_RESOURCES ${PROJECT_SOURCE_DIR}/src/resources)

install(TARGETS tq820 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tq820-sim)
  install(TARGETS tq820-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The command-line program, from the build that has it on.
if(TARGET tq820ctl)
  install(TARGETS tq820ctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${TQ820_RESOURCES}/${TQ820_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The PNG sizes are drawn by the build (src/resources/CMakeLists.txt).
set(TQ820_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
foreach(size 48 128)
  install(FILES ${TQ820_ICON_DIR}/${size}x${size}/apps/${TQ820_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${TQ820_RESOURCES}/${TQ820_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The metadata names every program the build installs.
file(READ ${TQ820_RESOURCES}/${TQ820_APP_ID}.metainfo.xml TQ820_METAINFO)
if(TARGET tq820ctl)
  string(REPLACE "<binary>tq820-sim</binary>"
    "<binary>tq820-sim</binary>\n    <binary>tq820ctl</binary>" TQ820_METAINFO "${TQ820_METAINFO}")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/${TQ820_APP_ID}.metainfo.xml
  CONTENT "${TQ820_METAINFO}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${TQ820_RESOURCES}/${TQ820_APP_ID}.metainfo.xml)
install(FILES ${CMAKE_BINARY_DIR}/${TQ820_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Man pages: every page in man/ (tq820ctl.1 too, once it is there), compressed as
# Debian installs them.
file(GLOB TQ820_MAN_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/man/*.1
  ${PROJECT_SOURCE_DIR}/src/cli/*.1)
find_program(TQ820_GZIP gzip)
foreach(page ${TQ820_MAN_PAGES})
  get_filename_component(name ${page} NAME)
  if(TQ820_GZIP)
    set(packed ${CMAKE_BINARY_DIR}/man/${name}.gz)
    add_custom_command(OUTPUT ${packed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${TQ820_GZIP} -9n -c ${page} > ${packed}
      DEPENDS ${page} VERBATIM)
    list(APPEND TQ820_PACKED_MAN_PAGES ${packed})
    install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
add_custom_target(tq820_man_pages ALL DEPENDS ${TQ820_PACKED_MAN_PAGES})

install(FILES ${TQ820_RESOURCES}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tq820)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tq820)

# The installed desktop entry and metadata pass their validators.
if(TQ820_BUILD_TESTS)
  find_program(TQ820_DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(TQ820_APPSTREAMCLI appstreamcli)
  if(TQ820_DESKTOP_FILE_VALIDATE AND TQ820_APPSTREAMCLI)
    add_test(NAME desktop_files_validate COMMAND ${CMAKE_COMMAND}
      -DDESKTOP_FILE_VALIDATE=${TQ820_DESKTOP_FILE_VALIDATE}
      -DAPPSTREAMCLI=${TQ820_APPSTREAMCLI}
      -DDESKTOP=${TQ820_RESOURCES}/${TQ820_APP_ID}.desktop
      -DMETAINFO=${CMAKE_BINARY_DIR}/${TQ820_APP_ID}.metainfo.xml
      -P ${PROJECT_SOURCE_DIR}/cmake/Tq820Validate.cmake)
    set_tests_properties(desktop_files_validate PROPERTIES TIMEOUT 60)
  else()
    message(WARNING "desktop-file-validate or appstreamcli missing: the desktop files are not checked")
  endif()
endif()

include(cmake/Tq820Package.cmake)
