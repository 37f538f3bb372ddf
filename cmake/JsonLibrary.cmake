# The configuration file format is JSON, read and written with the header-only
# nlohmann library. A cross-compiler must not see the host's /usr/include, so
# there only the library's own folder is copied into the build tree.
if(CMAKE_CROSSCOMPILING)
  find_path(ORV_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  file(COPY ${ORV_NLOHMANN_INCLUDE}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
  add_library(orv_json INTERFACE)
  target_include_directories(orv_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third_party/include)
else()
  find_package(nlohmann_json 3.10 REQUIRED)
  add_library(orv_json INTERFACE)
  target_link_libraries(orv_json INTERFACE nlohmann_json::nlohmann_json)
endif()
