# Tests of the Windows front end: the dialog made from the resource table, the
# window services on it, the simulated line and the command line.
file(GLOB T_WINAPP CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/winapp/*.cpp)
# With the program's manifest, so the windows are made of the same common
# controls (version 6) as the program's.
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/winapp_tests.rc
     CONTENT "#include <winresrc.h>\n1 RT_MANIFEST \"${ORV_MANIFEST_FILE}\"\n")
orv_add_test(winapp_tests SOURCES ${T_WINAPP} ${CMAKE_CURRENT_BINARY_DIR}/winapp_tests.rc LIBS orvane_winapp)

# The probe the program's own test (tools/test-windows-gui.sh) reads the
# window with from outside the process.
add_executable(orvane-probe ${CMAKE_CURRENT_SOURCE_DIR}/winapp/probe/Probe.cpp)
target_link_options(orvane-probe PRIVATE -municode)
target_compile_definitions(orvane-probe PRIVATE UNICODE _UNICODE)
# The certificate's tests share their check records with the other layers' tests.
target_include_directories(winapp_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
