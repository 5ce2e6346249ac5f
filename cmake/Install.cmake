# SPDX-License-Identifier: GPL-3.0-or-later
# Installing velor: the tool and the simulated controller with their manual
# pages, the desktop entry, the icon, the udev rule that keeps ModemManager
# away from USB serial adapters, and the package's copyright and changelog.
# `cpack -G DEB` in the build folder packs the same files into a .deb that
# depends on the Debian packages the tool needs at run time (tools/package-check
# builds it and runs lintian on it).
include(GNUInstallDirs)
# Folders with Debian's usual modes whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(velor_res ${CMAKE_CURRENT_LIST_DIR}/../res)

install(TARGETS velor velor-sim velor-record RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${velor_res}/velor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon in the hicolor theme: scalable, the 32 px bitmap drawn pixel by
# pixel, and the SVG's renderings (tools/render_icons).
set(velor_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${velor_res}/icons/velor.svg DESTINATION ${velor_icons}/scalable/apps)
install(FILES ${velor_res}/icon128.png DESTINATION ${velor_icons}/32x32/apps RENAME velor.png)
foreach(size 48 128 256)
  install(FILES ${velor_res}/icons/velor-${size}.png DESTINATION ${velor_icons}/${size}x${size}/apps RENAME velor.png)
endforeach()

# udev reads rules under /usr/lib and /usr/local/lib alike, so the rule goes
# below the prefix (a prefix udev does not read needs the rule copied to
# /etc/udev/rules.d).
install(FILES ${velor_res}/70-velor-serial.rules DESTINATION lib/udev/rules.d)

# Debian's place for a package's copyright and its changelog, and the manual
# pages; the changelog and the pages compressed without a time stamp, so the
# package builds the same each time.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(velor_package ${CMAKE_CURRENT_BINARY_DIR}/package)
set(velor_gzipped)
function(velor_gzip name)
  set(copy ${velor_package}/${name})
  add_custom_command(OUTPUT ${copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${velor_res}/package/${name} ${copy}
                     COMMAND ${GZIP_PROGRAM} -9nf ${copy}
                     DEPENDS ${velor_res}/package/${name} VERBATIM)
  set(velor_gzipped ${velor_gzipped} ${copy}.gz PARENT_SCOPE)
endfunction()
foreach(name changelog velor.1 velor-sim.1 velor-record.1)
  velor_gzip(${name})
endforeach()
add_custom_target(velor_package_files ALL DEPENDS ${velor_gzipped})
install(FILES ${velor_res}/package/copyright ${velor_package}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${velor_package}/velor.1.gz ${velor_package}/velor-sim.1.gz ${velor_package}/velor-record.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME velor)
# The newest entry of res/package/changelog names this version.
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "velor maintainers <velor-maintainers@users.noreply.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Commissioning and diagnostic tool for an elevator controller")
# Lines of the long description stay under 80 characters, as Debian wants.
set(CPACK_PACKAGE_DESCRIPTION
    "velor talks to an elevator controller over one RS-232 line: live car state,\nI/O, fault log, parameters. velor-sim is a simulated controller on a\npseudo-terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries (Qt, the C++ run time) are found by dpkg-shlibdeps; the
# rest is what the tool shows: Qt's own Chinese texts and a Song face the
# dialogs were laid out for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, libqt6charts6, libqt6sql6-sqlite, libqt6sql6-psql, libqt6printsupport6, fonts-arphic-uming | fonts-noto-cjk")
include(CPack)

# Installs into a temporary prefix and checks the files and the desktop entry.
add_test(NAME InstallCheck
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                 -P ${CMAKE_CURRENT_LIST_DIR}/InstallCheck.cmake)
