# Tests that only exist on Windows: the serial component on a real COM port
# and discovery end to end against a stand-in bridge library.

set(W32 ${CMAKE_CURRENT_SOURCE_DIR}/win32)

# --- the serial component against a device peer on a pseudo-terminal --------
# The peer is a Linux program, so it is built with the host's compiler; that
# only exists when this build runs on Linux and the tests run under Wine.
if(CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX)
  find_program(ORV_HOST_CXX NAMES c++ g++ REQUIRED)
  set(ORV_PEER ${CMAKE_CURRENT_BINARY_DIR}/orvane-pty-peer)
  set(ORV_PEER_SRC ${W32}/peer/PtyPeer.cpp ${PROJECT_SOURCE_DIR}/sim/Transmitter.cpp
      ${PROJECT_SOURCE_DIR}/sim/Measurement.cpp ${PROJECT_SOURCE_DIR}/sim/RequestFramer.cpp
      ${PROJECT_SOURCE_DIR}/protocol/Crc8.cpp
      ${PROJECT_SOURCE_DIR}/protocol/Frames.cpp ${PROJECT_SOURCE_DIR}/protocol/MeasureBlock.cpp)
  add_custom_command(OUTPUT ${ORV_PEER}
    COMMAND ${ORV_HOST_CXX} -std=c++20 -O1 -I${PROJECT_SOURCE_DIR} ${ORV_PEER_SRC} -o ${ORV_PEER} -lutil -pthread
    DEPENDS ${ORV_PEER_SRC} VERBATIM COMMENT "Building the pseudo-terminal peer for the host")
  add_custom_target(orvane_pty_peer ALL DEPENDS ${ORV_PEER})

  add_executable(win32_serial_tests ${W32}/Win32SerialCommTest.cpp)
  target_link_libraries(win32_serial_tests PRIVATE orvane_winlink orvane_sim GTest::gtest GTest::gtest_main)
  add_dependencies(win32_serial_tests orvane_pty_peer)
  # One run with all its peers: the COM ports are shared by the whole prefix.
  add_test(NAME win32_serial
           COMMAND bash ${W32}/with-pty-peers.sh ${ORV_PEER} ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:win32_serial_tests>)
  set_tests_properties(win32_serial PROPERTIES TIMEOUT 120 RESOURCE_LOCK wine_com_ports)
endif()

# --- discovery end to end: a stand-in for the bridge vendor's library ---------
# Exported by ordinal only, like the real one; its bridges come from the
# environment so each test decides what is plugged in.
add_library(orvane_bridge_standin SHARED ${W32}/standin/BridgeStandIn.cpp ${W32}/standin/BridgeStandIn.def)
set_target_properties(orvane_bridge_standin PROPERTIES
  PREFIX "" OUTPUT_NAME CP210xManufacturing
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/standin)  # found only when a test asks

# The test program carries the program's own manifest: the platform version
# query, which picks discovery's lookup, answers by what a manifest declares.
enable_language(RC)
set(ORV_TEST_RC ${CMAKE_CURRENT_BINARY_DIR}/generated/discovery_manifest.rc)
file(CONFIGURE OUTPUT ${ORV_TEST_RC} CONTENT "1 24 \"${PROJECT_SOURCE_DIR}/app/win32/orvane.manifest\"\n")
set_source_files_properties(${ORV_TEST_RC} PROPERTIES OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/app/win32/orvane.manifest)
add_executable(win32_discovery_tests ${W32}/BridgeDiscoveryTest.cpp ${ORV_TEST_RC})
target_link_libraries(win32_discovery_tests PRIVATE orvane_discovery GTest::gtest GTest::gtest_main)
add_dependencies(win32_discovery_tests orvane_bridge_standin)
# Registry keys of the bridge's port are shared by the whole prefix.
gtest_discover_tests(win32_discovery_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60 RESOURCE_LOCK wine_usb_registry)
