# What `cmake --install` lays out. The program finds ChsFonts.ini in its own
# folder, so the executable and the file are installed together:
#
#   Linux    lib/boardquill/boardquill, lib/boardquill/boardquill-desktop
#            (the window, started by boardquill), lib/boardquill/ChsFonts.ini,
#            bin/boardquill -> ../lib/boardquill/boardquill (the link is
#            resolved through /proc/self/exe), the desktop file, the icons,
#            the AppStream metainfo and the manual page
#   Windows  boardquill.exe and ChsFonts.ini side by side; the settings file
#            goes beside them
set(_bq_packaging ${PROJECT_SOURCE_DIR}/packaging)

if(WIN32)
  install(TARGETS boardquill RUNTIME DESTINATION .)
  install(FILES ${BQ_FONTS_INI} DESTINATION .)
  return()
endif()

set(BQ_INSTALL_PROGRAM_DIR lib/boardquill)
install(TARGETS boardquill RUNTIME DESTINATION ${BQ_INSTALL_PROGRAM_DIR})
if(TARGET boardquill-desktop)
  install(TARGETS boardquill-desktop RUNTIME DESTINATION ${BQ_INSTALL_PROGRAM_DIR})
endif()
install(FILES ${BQ_FONTS_INI} DESTINATION ${BQ_INSTALL_PROGRAM_DIR})

# A relative link, so that the tree can be moved (staging, packages).
set(_bq_link ${CMAKE_CURRENT_BINARY_DIR}/bin-link/boardquill)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/bin-link)
file(CREATE_LINK ../${BQ_INSTALL_PROGRAM_DIR}/boardquill ${_bq_link} SYMBOLIC)
install(FILES ${_bq_link} DESTINATION bin)

# The free diagram fonts are not packaged; this installs them per user.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/install-fonts.sh DESTINATION share/boardquill)

if(BOARDQUILL_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/data/boardquill.desktop DESTINATION share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/boardquill.svg
          DESTINATION share/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/data/boardquill.png
          DESTINATION share/icons/hicolor/128x128/apps)
  install(FILES ${_bq_packaging}/org.boardquill.Boardquill.metainfo.xml
          DESTINATION share/metainfo)
endif()

# Debian keeps manual pages compressed.
find_program(BQ_GZIP gzip)
if(BQ_GZIP)
  set(_bq_man ${CMAKE_CURRENT_BINARY_DIR}/boardquill.1.gz)
  add_custom_command(OUTPUT ${_bq_man}
    COMMAND ${BQ_GZIP} -9 -n -c ${_bq_packaging}/boardquill.1 > ${_bq_man}
    DEPENDS ${_bq_packaging}/boardquill.1 VERBATIM)
  add_custom_target(boardquill_man ALL DEPENDS ${_bq_man})
else()
  set(_bq_man ${_bq_packaging}/boardquill.1)
endif()
install(FILES ${_bq_man} DESTINATION share/man/man1)
