# orvane-cli: the device protocol for scripts and production benches, on Qt
# Core and SerialPort only (no widgets, no display).
file(GLOB ORV_CLI_SRC CONFIGURE_DEPENDS cli/*.cpp cli/*.h)
list(FILTER ORV_CLI_SRC EXCLUDE REGEX "cli/main\\.cpp$")
orv_layer(orvane_cli FOLDERS cli SOURCES ${ORV_CLI_SRC}
  LINKS orvane_config orvane_discovery orvane_link orv_json Qt6::Core Qt6::SerialPort)
target_compile_definitions(orvane_cli PRIVATE ORVANE_VERSION="${PROJECT_VERSION}")

add_executable(orvane-cli cli/main.cpp)
target_link_libraries(orvane-cli PRIVATE orvane_cli)

install(TARGETS orvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Its manual page is installed with the others' (cmake/Packaging.cmake).
install(FILES cli/orvane-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME orvane-cli)

# Eight devices at once against one; built on request only:
#   cmake --build build --target orvane_cli_bench && build/orvane_cli_bench
add_executable(orvane_cli_bench EXCLUDE_FROM_ALL bench/cli/CliFanOutBench.cpp)
target_link_libraries(orvane_cli_bench PRIVATE orvane_cli orvane_sim)
