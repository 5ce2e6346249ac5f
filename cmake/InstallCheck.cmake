# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build in BUILD_DIR into a fresh temporary prefix and checks what
# a desktop needs: both programs with their manual pages, the desktop entry (valid, starting the
# installed program, naming an installed icon), the icon (scalable, and each
# PNG as large as its hicolor folder says), the udev rule for ModemManager,
# and the copyright and gzip'd changelog.
# Run as: cmake -DBUILD_DIR=<build folder> -P InstallCheck.cmake
set(prefix "${BUILD_DIR}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

function(require_installed relative)
  if(NOT EXISTS "${prefix}/${relative}" OR IS_DIRECTORY "${prefix}/${relative}")
    message(FATAL_ERROR "not installed: ${relative}")
  endif()
endfunction()

foreach(program velor velor-sim)
  require_installed(bin/${program})
  require_installed(share/man/man1/${program}.1.gz)
  execute_process(COMMAND test -x "${prefix}/bin/${program}" RESULT_VARIABLE notExecutable)
  if(notExecutable)
    message(FATAL_ERROR "not executable: bin/${program}")
  endif()
endforeach()

require_installed(share/applications/velor.desktop)
set(entry "${prefix}/share/applications/velor.desktop")
find_program(validate desktop-file-validate REQUIRED)
execute_process(COMMAND ${validate} "${entry}" RESULT_VARIABLE invalid OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(invalid OR report MATCHES "error")
  message(FATAL_ERROR "desktop entry rejected:\n${report}")
endif()
file(STRINGS "${entry}" chineseName REGEX "^Name\\[zh_CN\\]=")
if(NOT chineseName)
  message(FATAL_ERROR "the desktop entry has no Chinese name")
endif()

file(STRINGS "${entry}" execLine REGEX "^Exec=")
file(STRINGS "${entry}" iconLine REGEX "^Icon=")
string(REGEX REPLACE "^Exec=([^ ]*).*" "\\1" execName "${execLine}")
string(REGEX REPLACE "^Icon=" "" iconName "${iconLine}")
if(NOT EXISTS "${prefix}/bin/${execName}")
  message(FATAL_ERROR "the desktop entry starts '${execName}', which is not installed")
endif()
require_installed(share/icons/hicolor/scalable/apps/${iconName}.svg)
foreach(size 32 48 128 256)
  set(icon share/icons/hicolor/${size}x${size}/apps/${iconName}.png)
  require_installed(${icon})
  # A PNG's width and height are the two big-endian words at byte 16.
  file(READ "${prefix}/${icon}" header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 widthHex)
  string(SUBSTRING "${header}" 8 8 heightHex)
  math(EXPR width "0x${widthHex}")
  math(EXPR height "0x${heightHex}")
  if(NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "${icon} is ${width}x${height}")
  endif()
endforeach()

require_installed(lib/udev/rules.d/70-velor-serial.rules)
file(STRINGS "${prefix}/lib/udev/rules.d/70-velor-serial.rules" ignored REGEX "ENV\\{ID_MM_DEVICE_IGNORE\\}=\"1\"")
if(NOT ignored)
  message(FATAL_ERROR "the udev rule does not set ID_MM_DEVICE_IGNORE")
endif()

require_installed(share/doc/velor/copyright)
require_installed(share/doc/velor/changelog.gz)
file(READ "${prefix}/share/doc/velor/changelog.gz" magic LIMIT 2 HEX)
if(NOT magic STREQUAL "1f8b")
  message(FATAL_ERROR "share/doc/velor/changelog.gz is not gzip'd")
endif()
file(REMOVE_RECURSE "${prefix}")
message(STATUS "install check passed")
