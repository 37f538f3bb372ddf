# The layers that need Qt: the serial link on Qt SerialPort and the window.
find_package(Qt6 REQUIRED COMPONENTS Core Widgets SerialPort Charts)

file(GLOB ORV_LINK_SRC CONFIGURE_DEPENDS link/serial/*.cpp link/serial/*.h)
add_library(orvane_link STATIC ${ORV_LINK_SRC})
target_link_libraries(orvane_link PUBLIC orvane_protocol Qt6::Core Qt6::SerialPort)

file(GLOB ORV_APP_SRC CONFIGURE_DEPENDS app/qt/*.cpp app/qt/*.h)
list(FILTER ORV_APP_SRC EXCLUDE REGEX "app/qt/main\\.cpp$")
add_library(orvane_front STATIC ${ORV_APP_SRC})
target_link_libraries(orvane_front PUBLIC orvane_core orvane_link orvane_discovery orvane_sim Qt6::Widgets Qt6::Charts)

# The dialog templates, list entries, string table and icon are data compiled
# into the program; the window and its tests read the same table.
set(ORV_ICON_SIZES 16 32 48)
set(ORV_RESOURCE_FILES res/dialogs.txt)
foreach(size IN LISTS ORV_ICON_SIZES)
  list(APPEND ORV_RESOURCE_FILES res/icons/orvane-${size}.png)
endforeach()
qt_add_resources(orvane_front orvane_resources PREFIX /orvane BASE res FILES ${ORV_RESOURCE_FILES})

add_executable(orvane app/qt/main.cpp)
target_link_libraries(orvane PRIVATE orvane_front)
set_target_properties(orvane_link orvane_front orvane PROPERTIES AUTOMOC ON)

# --- installation and the Debian package ------------------------------------
install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/orvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN LISTS ORV_ICON_SIZES)
  install(FILES res/icons/orvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME orvane.png)
endforeach()
install(FILES res/icons/orvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# An example only: granting access to a USB serial device is the site's call.
install(FILES packaging/60-orvane-cp210x.rules DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration and calibration tool for 4-20 mA field transmitters")
set(CPACK_PACKAGE_CONTACT "Orvane tools team <tools@orvane.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvane tools team <tools@orvane.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6serialport6 (>= 6.4), libqt6charts6 (>= 6.4), qt6-qpa-plugins, fonts-arphic-uming | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
