# The layers that need Qt: the serial link on Qt SerialPort and the window.
find_package(Qt6 REQUIRED COMPONENTS Core Widgets SerialPort)

orv_layer(orvane_link FILES link/serial/QtSerialComm.h SOURCES link/serial/QtSerialComm.cpp link/serial/QtSerialComm.h
  LINKS orvane_protocol orvane_linesettings orvane_portnames Qt6::Core Qt6::SerialPort)

file(GLOB ORV_APP_SRC CONFIGURE_DEPENDS app/qt/*.cpp app/qt/*.h)
list(FILTER ORV_APP_SRC EXCLUDE REGEX "app/qt/main\\.cpp$")
orv_layer(orvane_front FOLDERS app/qt SOURCES ${ORV_APP_SRC}
  LINKS orvane_core orvane_link orvane_discovery orvane_sim Qt6::Widgets)

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
include(cmake/Packaging.cmake)

# The trend's redraw speed, on the painter the window uses.
add_executable(orvane_trend_bench bench/trend/TrendBench.cpp)
target_link_libraries(orvane_trend_bench PRIVATE orvane_front)
