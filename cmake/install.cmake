# Installation (GNU directories) and the Debian package built by CPack.

include(GNUInstallDirs)

# The About dialog looks for the system-information program beside the browser: same folder.
install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quillon-sysinfo)
  install(TARGETS quillon-sysinfo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

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

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- Debian package ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvel Communications")
set(CPACK_PACKAGE_CONTACT "Quillon <quillon@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small web browser that keeps nothing between runs")
set(CPACK_PACKAGE_DESCRIPTION
  "Quillon's Browser is a small desktop web browser for one user: menus, a toolbar, an
address box with a list of the addresses visited, a status bar and two animated banners
around the Qt WebEngine (Chromium) engine. It keeps no settings, history or favourites.")
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
set(CPACK_DEBIAN_PACKAGE_PROVIDES "www-browser")
include(CPack)
