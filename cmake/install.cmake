# Installation (`cmake --install`) and the Debian package (`cpack -G DEB`).
#
#   bin/rix, bin/rix_window          the program and the window program beside it
#   share/rix/                       the resources: dialogs, menus, tool bar images,
#                                    help, icons, default settings, sample manuscript
#   share/applications/io.rix.Rix.desktop  the menu entry, with the types it opens
#   share/icons/hicolor/N/apps/      the icon in several sizes
#   share/metainfo/io.rix.Rix.metainfo.xml  AppStream description
#
# The installed program finds share/rix from its own location (../share/rix
# beside bin/), so the tree works under any prefix and under DESTDIR.
include(GNUInstallDirs)

install(TARGETS rix rix_window RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/rix
        PATTERN "*.pyc" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/io.rix.Rix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/io.rix.Rix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/rix-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME rix.png)
endforeach()

set(CPACK_PACKAGE_NAME rix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "rix developers <rix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for Japanese manuscripts on a manuscript-paper grid")
set(CPACK_PACKAGE_DESCRIPTION "Writes Shift_JIS manuscripts vertically or horizontally on a manuscript grid,\nwith rubies, tags, a structure index, printing, PDF, EPUB and HTML output.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries' packages from the linked objects, and the fonts the editor draws with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipaexfont, fonts-ipafont")
include(CPack)
