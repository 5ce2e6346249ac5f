# Installing velor: the tool and the simulated controller, the desktop entry
# and the icon. `cpack -G DEB` in the build folder packs the same files into a
# .deb that depends on the Debian packages the tool needs at run time.
include(GNUInstallDirs)

install(TARGETS velor velor-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../res/velor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../res/icon128.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME velor.png)

set(CPACK_PACKAGE_NAME velor)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "velor maintainers <velor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Commissioning and diagnostic tool for an elevator controller")
set(CPACK_PACKAGE_DESCRIPTION
    "velor talks to an elevator controller over one RS-232 line: live car state, I/O, fault log, parameters. velor-sim is a simulated controller on a pseudo-terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The shared libraries (Qt, the C++ run time) are found by dpkg-shlibdeps; the
# rest is what the tool shows: Qt's own Chinese texts and a Song face the
# dialogs were laid out for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, fonts-arphic-uming | fonts-noto-cjk")
include(CPack)

# Installs into a temporary prefix and checks the files and the desktop entry.
add_test(NAME InstallCheck
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                 -P ${CMAKE_CURRENT_LIST_DIR}/InstallCheck.cmake)
