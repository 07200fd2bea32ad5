# Installing: the game beside the Resources folder it reads as ../Resources/, under
# <prefix>/share/morbane, a launcher on PATH, a menu entry and an icon. CPack builds a .deb of
# the same layout under /usr.
include(GNUInstallDirs)

set(MORBANE_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/morbane)
install(TARGETS morbane RUNTIME DESTINATION ${MORBANE_INSTALL_DIR}/bin)
# The whole folder, so that whatever it grows (sounds, more meshes) comes along.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Resources DESTINATION ${MORBANE_INSTALL_DIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/tools/launcher/morbane DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/tools/launcher/morbane.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${MORBANE_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morbane)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "Morbane developers <morbane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person game: find the cure before the Morbane takes you")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "You are infected with the Morbane and your life drains by the second. Find the three "
    "medicines among the drugs of the level, carry them to the laboratory table and mix the "
    "cure. Needs an OpenGL 4.0 driver.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Depends: the runtime libraries the binary links, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Mesa's drivers give the OpenGL 4 context where no other driver is installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
include(CPack)
