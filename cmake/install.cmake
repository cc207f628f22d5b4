# Installation (GNU directories) and the Debian package built by CPack.

include(GNUInstallDirs)
include(${CMAKE_CURRENT_SOURCE_DIR}/packaging/manual/manual.cmake)

# The release's date, from the newest entry of the changelog: the manual pages carry it.
file(STRINGS packaging/debian/changelog QUILLON_RELEASE_LINE REGEX "^ -- " LIMIT_COUNT 1)
if(NOT QUILLON_RELEASE_LINE MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9]+) ")
  message(FATAL_ERROR "packaging/debian/changelog: no date in its newest entry")
endif()
set(QUILLON_MONTHS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND QUILLON_MONTHS ${CMAKE_MATCH_2} QUILLON_MONTH)
math(EXPR QUILLON_MONTH "${QUILLON_MONTH} + 1" OUTPUT_FORMAT DECIMAL)
if(QUILLON_MONTH LESS 10)
  set(QUILLON_MONTH 0${QUILLON_MONTH})
endif()
set(QUILLON_RELEASE_DATE ${CMAKE_MATCH_3}-${QUILLON_MONTH}-${CMAKE_MATCH_1})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/changelog)

# The manual pages and --help, each from its one source in packaging/manual.
set(QUILLON_MANUAL_DIR ${CMAKE_CURRENT_BINARY_DIR}/manual)
foreach(page quillon.1 quillon-sysinfo.1)
  quillon_manual_page(${CMAKE_CURRENT_SOURCE_DIR}/packaging/manual/${page}.txt ${QUILLON_MANUAL_DIR}/${page}.gz
                      ${PROJECT_VERSION} ${QUILLON_RELEASE_DATE})
  install(FILES ${QUILLON_MANUAL_DIR}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
quillon_manual_help(${CMAKE_CURRENT_SOURCE_DIR}/packaging/manual/quillon.1.txt ${QUILLON_MANUAL_DIR}/command_line_help.h)
target_sources(quillon_app PRIVATE ${QUILLON_MANUAL_DIR}/command_line_help.h)
set_source_files_properties(${QUILLON_MANUAL_DIR}/command_line_help.h PROPERTIES SKIP_AUTOGEN ON)
target_include_directories(quillon_app PRIVATE ${QUILLON_MANUAL_DIR})

# The About dialog looks for the system-information program beside the browser: same folder.
# Both are linked as Debian links its programs (a read-only relocation table, bound at start),
# and stripped as Debian strips them: nothing is left of the compiler's notes.
foreach(program quillon quillon-sysinfo)
  if(TARGET ${program})
    target_link_options(${program} PRIVATE LINKER:-z,relro LINKER:-z,now)
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
    endif()")
  endif()
endforeach()

# The spelling dictionaries; the program looks for them at ../share/quillon from its folder.
install(FILES ${QUILLON_DICTIONARY_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon/qtwebengine_dictionaries)

install(FILES packaging/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/com.example.quillon.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Icon theme: the 16 and 32 pixel pictures come out of the program's own .ico, the larger
# sizes are the full-colour renderings beside it.
add_executable(quillon-icon-export packaging/icon_export.cpp)
target_link_libraries(quillon-icon-export PRIVATE Qt6::Gui)
set(QUILLON_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
add_custom_command(
  OUTPUT ${QUILLON_ICON_DIR}/quillon-16.png ${QUILLON_ICON_DIR}/quillon-32.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUILLON_ICON_DIR}
  COMMAND quillon-icon-export ${CMAKE_CURRENT_SOURCE_DIR}/resources/icon/quillon.ico
          ${QUILLON_ICON_DIR}/quillon
  DEPENDS quillon-icon-export ${CMAKE_CURRENT_SOURCE_DIR}/resources/icon/quillon.ico
  COMMENT "Exporting the 16 and 32 pixel icons"
  VERBATIM)
add_custom_target(quillon-icons ALL
  DEPENDS ${QUILLON_ICON_DIR}/quillon-16.png ${QUILLON_ICON_DIR}/quillon-32.png)
foreach(size 16 32)
  install(FILES ${QUILLON_ICON_DIR}/quillon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillon.png)
endforeach()
foreach(size 48 64 128 256)
  install(FILES resources/icon/quillon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillon.png)
endforeach()

install(FILES README.md packaging/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The user guide the README leads to, beside it so that its links hold.
install(DIRECTORY docs DESTINATION ${CMAKE_INSTALL_DOCDIR} FILES_MATCHING PATTERN "*.md")
# A native package's changelog, compressed as Debian's tools do (no name or time stamp in it).
quillon_manual_gzip(${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- Debian package ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvel Communications")
set(CPACK_PACKAGE_CONTACT "Quillon <quillon@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small web browser that keeps nothing between runs")
# Debian shows each line of the long description after one blank: at most 79 characters each.
set(CPACK_PACKAGE_DESCRIPTION
  "Quillon's Browser is a small desktop web browser for one user: menus, a
toolbar, an address box with a list of the addresses visited, a status bar
and two animated banners around the Qt WebEngine (Chromium) engine. It keeps
no settings, history or favourites.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Shared libraries (and the engine's helper process, through its library's shlibs) are found by
# dpkg-shlibdeps; listed here is only what no binary links:
# the fonts that stand in for the design's fonts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-urw-base35")
# "something that can browse HTML files", as Debian's other graphical browsers provide it. The
# maintainer scripts offer the program for x-www-browser only (see packaging/debian/postinst).
set(CPACK_DEBIAN_PACKAGE_PROVIDES "www-browser")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
