# Tests of the Windows front end: the dialog made from the resource table, the
# window services on it, the simulated line and the command line.
file(GLOB T_WINAPP CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/winapp/*.cpp)
orv_add_test(winapp_tests SOURCES ${T_WINAPP} LIBS orvane_winapp)

# The probe the program's own test (tools/test-windows-gui.sh) reads the
# window with from outside the process.
add_executable(orvane-probe ${CMAKE_CURRENT_SOURCE_DIR}/winapp/probe/Probe.cpp)
target_link_options(orvane-probe PRIVATE -municode)
target_compile_definitions(orvane-probe PRIVATE UNICODE _UNICODE)
# The certificate's tests share their check records with the other layers' tests.
target_include_directories(winapp_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
