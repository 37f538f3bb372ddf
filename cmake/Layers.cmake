# Each layer is a library whose include root holds only its own folders (as
# links into the source tree); the folders of the layers below come through
# linking them. An include of a layer above, or of one it does not link,
# therefore fails to compile instead of quietly working.
#
#   orv_layer(NAME
#     FOLDERS <folders, relative to the source root, that this layer exposes>
#     FILES   <single headers it exposes, where a folder is shared>
#     SOURCES <sources>
#     LINKS   <libraries below it, linked PUBLIC>
#     PRIVATE_LINKS <libraries its users need not see>)
function(orv_layer name)
  cmake_parse_arguments(L "" "" "FOLDERS;FILES;SOURCES;LINKS;PRIVATE_LINKS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  foreach(entry IN LISTS L_FOLDERS L_FILES)
    get_filename_component(parent ${root}/${entry} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${entry})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${entry} ${root}/${entry} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${name} PUBLIC ${root})
  if(L_LINKS)
    target_link_libraries(${name} PUBLIC ${L_LINKS})
  endif()
  if(L_PRIVATE_LINKS)
    target_link_libraries(${name} PRIVATE ${L_PRIVATE_LINKS})
  endif()
endfunction()

# Sources of one folder, without its subfolders.
function(orv_sources var)
  set(all)
  foreach(folder IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND all ${found})
  endforeach()
  set(${var} ${all} PARENT_SCOPE)
endfunction()
