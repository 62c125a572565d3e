# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules and the Debian package.
#
#   cmake --install build --prefix /usr/local         (or DESTDIR=... cmake --install build)
#   cd build && cpack -G DEB                          (scripts/package.sh does both steps)
#
# Layout under the prefix: the five programs in bin/; default.frs and the pictures in
# share/qvm8-zul/ (the programs look there, relative to their own folder, when the files are
# not beside them); desktop entry, AppStream metadata, MIME package, icons, manual pages, udev
# rule, the station's systemd unit and documentation where the desktop and the system expect them.
include(GNUInstallDirs)

set(QVM8_APP_ID com.brantwick.qvm8zul)
set(QVM8_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/qvm8-zul)
set(QVM8_WEB_URL "https://qvm8-zul.example.org" CACHE STRING
    "Address of the project's web pages; the AppStream screenshots are <url>/screenshots/*.png")
set(QVM8_MAINTAINER "QV-M8 ZuL maintainers <qvm8-zul@example.org>" CACHE STRING
    "Maintainer of the Debian package (name <address>)")
set(QVM8_RELEASE_DATE "2026-12-08" CACHE STRING "Date of the release of this version")

# Directories a package creates are rwxr-xr-x whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Files generated from templates, and the compressed manual pages and changelog.
set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/data/${QVM8_APP_ID}.metainfo.xml.in
               ${packaging_dir}/${QVM8_APP_ID}.metainfo.xml @ONLY)
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" date_ok "${QVM8_RELEASE_DATE}")
if(NOT date_ok)
  message(FATAL_ERROR "QVM8_RELEASE_DATE must be YYYY-MM-DD, not '${QVM8_RELEASE_DATE}'")
endif()
execute_process(COMMAND date -u -d "${QVM8_RELEASE_DATE} 12:00:00" -R
                OUTPUT_VARIABLE QVM8_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.in ${packaging_dir}/changelog @ONLY)

find_program(QVM8_GZIP gzip REQUIRED)
set(man_pages qvm8ctl qvm8-sim qvm8-assoc)
if(TARGET qvm8-station)
  list(APPEND man_pages qvm8-station)
endif()
if(TARGET qvm8-zul)
  list(APPEND man_pages qvm8-zul)
endif()
set(compressed "")
foreach(page IN LISTS man_pages)
  set(out ${packaging_dir}/man1/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_dir}/man1
    COMMAND ${QVM8_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/docs/${page}.1 > ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/${page}.1
    VERBATIM)
  list(APPEND compressed ${out})
endforeach()
add_custom_command(OUTPUT ${packaging_dir}/changelog.gz
  COMMAND ${QVM8_GZIP} -9 -n -c ${packaging_dir}/changelog > ${packaging_dir}/changelog.gz
  DEPENDS ${packaging_dir}/changelog
  VERBATIM)
list(APPEND compressed ${packaging_dir}/changelog.gz)
add_custom_target(packaging_files ALL DEPENDS ${compressed})

# Programs.
foreach(program qvm8-zul qvm8ctl qvm8-sim qvm8-assoc qvm8-station)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Data the programs read.
install(FILES ${PROJECT_SOURCE_DIR}/data/default.frs DESTINATION ${QVM8_DATA_INSTALL_DIR})
if(TARGET pictures)
  # Every file the generator drew: the output pictures, the splash and the icon files.
  install(DIRECTORY ${QVM8_PICTURES_DIR}/ DESTINATION ${QVM8_DATA_INSTALL_DIR}/image)
endif()

# File types, known to the desktop even before the desktop program is installed.
install(FILES ${PROJECT_SOURCE_DIR}/data/qvm8-zul.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# The desktop program's menu entry, metadata and icon.
if(TARGET qvm8-zul)
  install(FILES ${PROJECT_SOURCE_DIR}/data/${QVM8_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${packaging_dir}/${QVM8_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
if(TARGET pictures)
  foreach(size 48 128 256)
    install(FILES ${QVM8_PICTURES_DIR}/icon-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${QVM8_APP_ID}.png)
  endforeach()
  install(FILES ${QVM8_PICTURES_DIR}/icon.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${QVM8_APP_ID}.svg)
endif()

# udev rule for the USB bridge: lib/udev/rules.d below the prefix (/usr/lib/udev/rules.d for
# the package).
install(FILES ${PROJECT_SOURCE_DIR}/data/60-qvm8-zul.rules DESTINATION lib/udev/rules.d)

# The station's systemd template unit, beside the udev rule (/usr/lib/systemd/system for the
# package); it runs the installed program.
if(TARGET qvm8-station)
  configure_file(${PROJECT_SOURCE_DIR}/data/systemd/qvm8-station@.service.in
                 ${packaging_dir}/qvm8-station@.service @ONLY)
  install(FILES ${packaging_dir}/qvm8-station@.service DESTINATION lib/systemd/system)
endif()

# Manual pages, documentation, licence.
foreach(page IN LISTS man_pages)
  install(FILES ${packaging_dir}/man1/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
              ${PROJECT_SOURCE_DIR}/data/copyright ${packaging_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "*.txt")

# The Debian package (cpack -G DEB).
set(CPACK_PACKAGE_NAME qvm8-zul)
set(CPACK_PACKAGE_VENDOR "Brantwick ORTA Sensor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QVM8_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitoring and configuration tool for QV-M8 sensor controllers")
set(CPACK_PACKAGE_DESCRIPTION
"QV-M8 ZuL configures and monitors a QV-M8 laser displacement sensor controller
(two sensor heads, two judgement outputs, 16 memory banks) over RS-232C or USB:
it edits and transfers the controller's settings, shows live values and output
states, reads back buffered values and the received-light waveform, and runs
the controller's scaling, calibration and flood-light adjustments.

The package holds the desktop program qvm8-zul, the command-line companion
qvm8ctl for scripts and test rigs, the emulated controller qvm8-sim, the
file association tool qvm8-assoc and qvm8-station, which publishes a
controller's status and values to an MQTT broker (systemd unit
qvm8-station@.service).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libftdi1-2, mosquitto-clients")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QVM8_WEB_URL}")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
include(CPack)
