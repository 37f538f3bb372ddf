# Builds each probe that includes a header from a layer above its own and
# wants every one refused because that header cannot be found.
string(REPLACE "," ";" targets "${TARGETS}")
string(REPLACE "," ";" headers "${HEADERS}")
set(failures)
foreach(target header IN ZIP_LISTS targets headers)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${out}${err}" "${header}" named)
  if(result EQUAL 0)
    list(APPEND failures "${target} compiled: its layer can include ${header}")
  elseif(named EQUAL -1 OR NOT "${out}${err}" MATCHES "No such file or directory")
    list(APPEND failures "${target} failed for another reason than a missing ${header}:\n${out}${err}")
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
