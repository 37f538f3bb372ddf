# orvane-cli: the device protocol for scripts and production benches. No Qt:
# the blocking serial line of the link layer and plain C++ threads, so the
# same program builds for Linux and, statically linked, for Windows.
file(GLOB ORV_CLI_SRC CONFIGURE_DEPENDS cli/*.cpp cli/*.h)
if(WIN32)
  file(GLOB ORV_CLI_PLATFORM_SRC CONFIGURE_DEPENDS cli/win32/*.cpp)
  set(ORV_CLI_MAIN cli/win32/main.cpp)
else()
  file(GLOB ORV_CLI_PLATFORM_SRC CONFIGURE_DEPENDS cli/posix/*.cpp)
  set(ORV_CLI_MAIN cli/main.cpp)
endif()
list(APPEND ORV_CLI_SRC ${ORV_CLI_PLATFORM_SRC})
list(FILTER ORV_CLI_SRC EXCLUDE REGEX "cli/(win32/)?main\\.cpp$")
find_package(Threads REQUIRED)
orv_layer(orvane_cli FOLDERS cli SOURCES ${ORV_CLI_SRC}
  LINKS orvane_calib orvane_discovery orvane_line orv_json Threads::Threads)

if(WIN32)
  # A console program with the version, the icon and a manifest of its own:
  # without one MinGW's default declares every system up to 10, and
  # discovery's version gate would then read major version 10.
  set(ORV_CLI_MANIFEST_FILE ${CMAKE_CURRENT_SOURCE_DIR}/cli/win32/orvane-cli.manifest)
  set(ORV_ICON_FILE ${CMAKE_CURRENT_SOURCE_DIR}/res/icons/orvane.ico)
  configure_file(cli/win32/orvane-cli.rc.in ${CMAKE_CURRENT_BINARY_DIR}/generated/orvane-cli.rc @ONLY)
  enable_language(RC)
  add_executable(orvane-cli ${ORV_CLI_MAIN} ${CMAKE_CURRENT_BINARY_DIR}/generated/orvane-cli.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/generated/orvane-cli.rc PROPERTIES
                              OBJECT_DEPENDS "${ORV_ICON_FILE};${ORV_CLI_MANIFEST_FILE}")
  target_compile_definitions(orvane_cli PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_compile_definitions(orvane-cli PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_libraries(orvane-cli PRIVATE orvane_cli shell32)
  # Into the zip and the installer beside orvane.exe, with its manual as a
  # web page (Windows has no man).
  install(TARGETS orvane-cli RUNTIME DESTINATION .)
  find_program(ORV_GROFF groff REQUIRED)
  set(ORV_CLI_MANUAL ${CMAKE_CURRENT_BINARY_DIR}/orvane-cli.html)
  add_custom_command(OUTPUT ${ORV_CLI_MANUAL}
    COMMAND ${CMAKE_COMMAND} -DGROFF=${ORV_GROFF} -DPAGE=${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/orvane-cli.1
            -DTITLE=orvane-cli -DOUT=${ORV_CLI_MANUAL} -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManualHtml.cmake
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/orvane-cli.1 ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManualHtml.cmake
    VERBATIM COMMENT "Writing the orvane-cli manual as a web page")
  add_custom_target(orvane_cli_manual ALL DEPENDS ${ORV_CLI_MANUAL})
  install(FILES ${ORV_CLI_MANUAL} DESTINATION .)
  return()
endif()

add_executable(orvane-cli ${ORV_CLI_MAIN})
target_link_libraries(orvane-cli PRIVATE orvane_cli)

install(TARGETS orvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Its manual page is installed with the others' (cmake/Packaging.cmake).
install(FILES cli/orvane-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME orvane-cli)

# Eight devices at once against one; built on request only:
#   cmake --build build --target orvane_cli_bench && build/orvane_cli_bench
add_executable(orvane_cli_bench EXCLUDE_FROM_ALL bench/cli/CliFanOutBench.cpp)
target_link_libraries(orvane_cli_bench PRIVATE orvane_cli orvane_sim)
