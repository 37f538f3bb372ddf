# The layers that need Qt: the serial link on Qt SerialPort and the window.
find_package(Qt6 REQUIRED COMPONENTS Core Widgets SerialPort)

file(GLOB ORV_LINK_SRC CONFIGURE_DEPENDS link/serial/*.cpp link/serial/*.h)
add_library(orvane_link STATIC ${ORV_LINK_SRC})
target_link_libraries(orvane_link PUBLIC orvane_protocol Qt6::Core Qt6::SerialPort)

file(GLOB ORV_APP_SRC CONFIGURE_DEPENDS app/qt/*.cpp app/qt/*.h)
list(FILTER ORV_APP_SRC EXCLUDE REGEX "app/qt/main\\.cpp$")
add_library(orvane_front STATIC ${ORV_APP_SRC})
target_link_libraries(orvane_front PUBLIC orvane_core orvane_link orvane_discovery orvane_sim Qt6::Widgets)

add_executable(orvane app/qt/main.cpp)
target_link_libraries(orvane PRIVATE orvane_front)
install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set_target_properties(orvane_link orvane_front orvane PROPERTIES AUTOMOC ON)
