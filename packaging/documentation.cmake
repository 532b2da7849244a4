# What Debian's standards ask of a package besides its programs, each made
# from a source kept here when the package is built: the copyright file
# (from LICENSE), the changelog (from changes.txt), a manual page per
# program (from its --help and --version, plus man/PROGRAM.h2m), the
# AppStream metadata with a screenshot drawn off screen, and the bash
# completion of quorvel-cli.
include(${CMAKE_CURRENT_LIST_DIR}/changes.cmake)

find_program(QUORVEL_HELP2MAN help2man)
if(NOT QUORVEL_HELP2MAN)
  message(FATAL_ERROR "help2man makes the manual pages: install help2man (scripts/install-deps.sh)")
endif()
find_program(QUORVEL_GZIP gzip REQUIRED)
set(QUORVEL_APPSTREAM_ID org.example.quorvel)
set(generated ${CMAKE_CURRENT_BINARY_DIR})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/changes.txt)

# The copyright file: Debian's machine-readable form around the licence's
# own text, which is kept once, in LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.+[^\n])\n*$")
  message(FATAL_ERROR "LICENSE has no line \"Copyright (c) ...\" followed by the licence's text")
endif()
set(QUORVEL_COPYRIGHT ${CMAKE_MATCH_1})
# Continuation lines start with a space; an empty line is written " .".
string(REPLACE "\n" "\n " QUORVEL_LICENSE_TEXT " ${CMAKE_MATCH_2}")
string(REPLACE "\n \n" "\n .\n" QUORVEL_LICENSE_TEXT "${QUORVEL_LICENSE_TEXT}")
configure_file(copyright.in ${generated}/copyright @ONLY)
install(FILES ${generated}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog, compressed as Debian wants it: at the highest level, with
# no name or time stamp in the gzip header.
quorvel_read_changes(${CMAKE_CURRENT_SOURCE_DIR}/changes.txt quorvel "${QUORVEL_PACKAGE_MAINTAINER}" ${PROJECT_VERSION})
file(WRITE ${generated}/changelog.new "${QUORVEL_DEBIAN_CHANGELOG}")
configure_file(${generated}/changelog.new ${generated}/changelog COPYONLY)  # touched only when it changes
add_custom_command(OUTPUT ${generated}/changelog.gz
  COMMAND ${QUORVEL_GZIP} -9nkf changelog
  DEPENDS ${generated}/changelog
  WORKING_DIRECTORY ${generated}
  COMMENT "Compressing the changelog"
  VERBATIM)
install(FILES ${generated}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(documents ${generated}/changelog.gz)

# The manual pages. help2man runs each program with no display at all:
# --help and --version must never need one. The date is the release's.
# The pages are English for now: help2man hands the locale it is given to
# the program (the tool reads its language from it; the machine need not
# have that locale).
set(man_name_quorvel "configure alarm panels over a serial port, in a window")
set(man_name_quorvel-cli "back up, restore, compare and update alarm panels from scripts")
set(man_name_quorvel-panel "a software alarm panel on a pseudo-terminal")
foreach(program IN LISTS installed_programs)
  set(include ${CMAKE_CURRENT_SOURCE_DIR}/man/${program}.h2m)
  set(page ${generated}/man/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/man
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
            SOURCE_DATE_EPOCH=${QUORVEL_RELEASE_EPOCH}
            ${QUORVEL_HELP2MAN} --no-info --locale=en_US.UTF-8 --section 1 --name ${man_name_${program}} --include ${include}
            --output ${page} $<TARGET_FILE:${program}>
    COMMAND ${QUORVEL_GZIP} -9nf ${page}
    DEPENDS ${program} ${include}
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND documents ${page}.gz)
endforeach()

# The AppStream metadata and the screenshot it shows, drawn from the demo
# panel on the offscreen platform with the release's date on the clock.
set(screenshot ${generated}/screenshots/main-window.png)
add_custom_command(OUTPUT ${screenshot}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/screenshots
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen SOURCE_DATE_EPOCH=${QUORVEL_RELEASE_EPOCH}
          $<TARGET_FILE:quorvel-screenshot> ${screenshot}
  DEPENDS quorvel-screenshot
  COMMENT "Drawing the main window for the AppStream screenshot"
  VERBATIM)
install(FILES ${screenshot} DESTINATION ${CMAKE_INSTALL_DOCDIR}/screenshots)
list(APPEND documents ${screenshot})
configure_file(quorvel.metainfo.xml.in ${generated}/${QUORVEL_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${generated}/${QUORVEL_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Found by bash-completion's loader when quorvel-cli is first completed.
install(FILES quorvel-cli.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME quorvel-cli)

add_custom_target(quorvel_documents ALL DEPENDS ${documents})
