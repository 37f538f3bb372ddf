# The Windows program: a Win32 dialog built from the same resource table as
# the Qt window, the Win32 serial link and the registry/DLL discovery, linked
# statically into one orvane.exe; and its zip and installer from cpack.

# The resource table goes into the program as data. Reading it here makes an
# edit of the table re-run the configure step, which regenerates the source.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/res/dialogs.txt)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/res/dialogs.txt ORV_TABLE_HEX HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," ORV_TABLE_BYTES "${ORV_TABLE_HEX}")
set(ORV_TABLE_CPP ${CMAKE_CURRENT_BINARY_DIR}/generated/BuiltinResources.cpp)
file(CONFIGURE OUTPUT ${ORV_TABLE_CPP} CONTENT [[
// Generated from res/dialogs.txt by cmake/WindowsApp.cmake.
#include "app/win32/BuiltinResources.h"

namespace orv::app::win32 {

namespace {
constexpr char kTable[] = {@ORV_TABLE_BYTES@ '\0'};
}

std::string_view BuiltinResourceText() { return std::string_view(kTable, sizeof kTable - 1); }

}  // namespace orv::app::win32
]] @ONLY)

file(GLOB ORV_WINAPP_SRC CONFIGURE_DEPENDS app/win32/*.cpp)
list(FILTER ORV_WINAPP_SRC EXCLUDE REGEX "app/win32/main\\.cpp$")
orv_layer(orvane_winapp FOLDERS app/win32 SOURCES ${ORV_WINAPP_SRC} ${ORV_TABLE_CPP})
target_compile_definitions(orvane_winapp PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(orvane_winapp PUBLIC orvane_core orvane_discovery orvane_winlink orvane_sim comctl32 comdlg32 gdiplus winspool)

set(ORV_ICON_FILE ${CMAKE_CURRENT_SOURCE_DIR}/res/icons/orvane.ico)
set(ORV_MANIFEST_FILE ${CMAKE_CURRENT_SOURCE_DIR}/app/win32/orvane.manifest)
configure_file(app/win32/orvane.rc.in ${CMAKE_CURRENT_BINARY_DIR}/generated/orvane.rc @ONLY)

enable_language(RC)
add_executable(orvane WIN32 app/win32/main.cpp ${CMAKE_CURRENT_BINARY_DIR}/generated/orvane.rc)
target_link_libraries(orvane PRIVATE orvane_winapp)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/generated/orvane.rc PROPERTIES
                            OBJECT_DEPENDS "${ORV_ICON_FILE};${ORV_MANIFEST_FILE}")

# --- the zip and the installer ------------------------------------------------
install(TARGETS orvane RUNTIME DESTINATION .)
# The Windows read-me, with the line ends Notepad on Windows 7 needs.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/README.txt ORV_WINDOWS_README)
string(REPLACE "\n" "\r\n" ORV_WINDOWS_README "${ORV_WINDOWS_README}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/generated/README.txt "${ORV_WINDOWS_README}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/README.txt)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/generated/README.txt DESTINATION .)
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
  install(FILES LICENSE DESTINATION .)
  set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
endif()

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration and calibration tool for 4-20 mA field transmitters")
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_FILE_NAME orvane-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Orvane Revuvuvi")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_NSIS_PACKAGE_NAME "Orvane Revuvuvi ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Orvane Revuvuvi")
set(CPACK_NSIS_MUI_ICON ${ORV_ICON_FILE})
set(CPACK_NSIS_MUI_UNIICON ${ORV_ICON_FILE})
set(CPACK_NSIS_INSTALLED_ICON_NAME orvane.exe)
# A template of our own: CMake's asks for administrator rights and writes to
# HKLM; this one installs for the user alone (packaging/windows).
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/CPackOptions.cmake)
include(CPack)
