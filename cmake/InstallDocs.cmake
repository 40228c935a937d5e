# What a person reads about tamr once it is installed: the manual pages, the
# bash completion of tamr-cli and the help pages of the desktop program.

# The manual pages are kept as roff with the version and the kinds of picture
# left open; the build fills them in and compresses the pages, as Debian keeps
# its manual pages.
set(TAMR_MAN_PAGES tamr-cli)
if(TAMR_BUILD_GUI)
  list(APPEND TAMR_MAN_PAGES tamr)
endif()
set(TAMR_MAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/man)
set(TAMR_COMPRESSED_MAN_PAGES)
foreach(page ${TAMR_MAN_PAGES})
  configure_file(res/man/${page}.1.in ${TAMR_MAN_DIR}/${page}.1.in @ONLY)
  add_custom_command(OUTPUT ${TAMR_MAN_DIR}/${page}.1
      COMMAND tamr-fill-kinds ${TAMR_MAN_DIR}/${page}.1.in ${TAMR_MAN_DIR}/${page}.1
      DEPENDS tamr-fill-kinds ${TAMR_MAN_DIR}/${page}.1.in
      COMMENT "Writing the manual page ${page}(1) with the kinds of picture tamr opens")
  add_custom_command(OUTPUT ${TAMR_MAN_DIR}/${page}.1.gz
      COMMAND gzip -9 -n -k -f ${TAMR_MAN_DIR}/${page}.1
      DEPENDS ${TAMR_MAN_DIR}/${page}.1
      COMMENT "Compressing the manual page ${page}(1)")
  list(APPEND TAMR_COMPRESSED_MAN_PAGES ${TAMR_MAN_DIR}/${page}.1.gz)
endforeach()
add_custom_target(tamr-man-pages ALL DEPENDS ${TAMR_COMPRESSED_MAN_PAGES})
foreach(page ${TAMR_MAN_PAGES})
  install(FILES ${TAMR_MAN_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${page})
endforeach()

# bash-completion loads a command's completion by the command's name.
install(FILES res/completion/tamr-cli.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tamr-cli COMPONENT tamr-cli)

# The program shows its help pages from its resources; the same pages are
# installed for reading in a browser.
if(TAMR_BUILD_GUI)
  file(GLOB TAMR_HELP_PAGES CONFIGURE_DEPENDS res/help/*.html)
  install(FILES ${TAMR_HELP_PAGES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/html COMPONENT tamr)
endif()
