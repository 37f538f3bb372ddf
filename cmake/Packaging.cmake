# Installation and the Debian package: the programs, the desktop entry, icons,
# AppStream metadata, manual pages, copyright and changelog. The package is
# checked with lintian by the test script, so everything Debian policy asks
# of a package's files is made here (compressed pages, stripped programs).

# Programs in the package; each has a manual page packaging/man/NAME.1. A new
# program adds its name here and its page beside the others.
set(ORV_PACKAGE_PROGRAMS orvane orvane-sim orvane-cli)

install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/orvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/invalid.orvane.Revuvuvi.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN LISTS ORV_ICON_SIZES)
  install(FILES res/icons/orvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME orvane.png)
endforeach()
install(FILES res/icons/orvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# An example only: granting access to a USB serial device is the site's call.
install(FILES packaging/60-orvane-cp210x.rules DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian wants manual pages and the changelog compressed with gzip -9 and
# without a time stamp, so that a rebuild gives the same bytes.
set(ORV_DOC_DIR ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(ORV_COMPRESSED)
function(orv_gzip source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_DOC_DIR}
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${source} ${output}
    DEPENDS ${source}
    VERBATIM)
  set(ORV_COMPRESSED ${ORV_COMPRESSED} ${output} PARENT_SCOPE)
endfunction()

foreach(program IN LISTS ORV_PACKAGE_PROGRAMS)
  orv_gzip(${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/${program}.1 ${ORV_DOC_DIR}/${program}.1.gz)
  install(FILES ${ORV_DOC_DIR}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# A native package (no Debian revision) keeps its changelog as changelog.gz.
orv_gzip(${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog ${ORV_DOC_DIR}/changelog.gz)
install(FILES ${ORV_DOC_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(orvane_package_docs ALL DEPENDS ${ORV_COMPRESSED})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration and calibration tool for 4-20 mA field transmitters")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvane Revuvuvi reads a field transmitter's 36-byte parameter block over a
USB serial cable (a CP210x USB-to-UART bridge) into one window, and writes
the input type, cold-junction option, wiring, measuring range, offset,
damping, sensor-break alarm and output direction back to the device.

It also restarts the device, restores its factory settings and polls its
live readings once a second. A factory build calibrates the inputs and trims
the outputs. Configurations are saved to and opened from JSON files.

The package includes orvane-cli, the same protocol on the command line for
scripts and production benches (many devices at once, JSON output), and
orvane-sim, a simulated transmitter on a pseudo-terminal for trying the
tools without hardware.")
set(CPACK_PACKAGE_CONTACT "Orvane tools team <tools@orvane.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvane tools team <tools@orvane.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6serialport6 (>= 6.4), qt6-qpa-plugins, fonts-arphic-uming | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
