# Each layer may include its own headers and those of the layers it links,
# never a header from a layer above it. One row per layer: the layer, a
# header of its own, a header from above. The first of each row is built with
# everything else (a layer that cannot see itself breaks the build); the
# second is built by the test, which wants it refused for a missing header.
set(ORV_LAYER_PROBES
  "orvane_protocol|protocol/Frames.h|config/ParamImage.h"
  "orvane_config|config/ConfigFile.h|calib/CalibrationMath.h"
  "orvane_calib|calib/LiveReadings.h|app/core/DialogObserver.h"
  "orvane_report|report/PageLayout.h|app/core/DialogObserver.h"
  "orvane_core|app/core/CMyDlgPrivate.h|app/qt/CMyDlgWindow.h"
  "orvane_discovery|link/discovery/FindBridgePort.h|app/core/CMyDlg.h"
  "orvane_line|link/line/RequestClient.h|config/ParamFields.h"
  "orvane_sim|sim/Transmitter.h|config/ParamFields.h")
set(upward_targets)
set(upward_headers)
foreach(row IN LISTS ORV_LAYER_PROBES)
  string(REPLACE "|" ";" parts "${row}")
  list(GET parts 0 layer)
  list(GET parts 1 own)
  list(GET parts 2 above)
  foreach(kind own above)
    set(probe layer_probe_${layer}_${kind})
    add_library(${probe} OBJECT ${CMAKE_CURRENT_LIST_DIR}/Probe.cpp)
    target_link_libraries(${probe} PRIVATE ${layer})
    target_compile_definitions(${probe} PRIVATE ORV_PROBE_HEADER="${${kind}}")
  endforeach()
  set_target_properties(layer_probe_${layer}_above PROPERTIES EXCLUDE_FROM_ALL ON)
  list(APPEND upward_targets layer_probe_${layer}_above)
  list(APPEND upward_headers ${above})
endforeach()
string(REPLACE ";" "," upward_targets "${upward_targets}")
string(REPLACE ";" "," upward_headers "${upward_headers}")
add_test(NAME layers_refuse_upward_includes
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DTARGETS=${upward_targets}
                 -DHEADERS=${upward_headers} -P ${CMAKE_CURRENT_LIST_DIR}/CheckUpward.cmake)
# It runs the build tool in this tree: nothing else may build meanwhile.
set_tests_properties(layers_refuse_upward_includes PROPERTIES RUN_SERIAL ON TIMEOUT 300)
