# kit_add_module(CLASS SOURCES ...): a loadable module named after its class
# (CLASS.so, CLASS.dll on Windows), in the build's modules/ folder, linked
# against the host API. Only its entry point is exported.
function(kit_add_module class)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_library(${class} MODULE ${ARG_SOURCES})
  target_link_libraries(${class} PRIVATE hostapi ${ARG_LIBRARIES})
  set_target_properties(${class} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${class}
    LIBRARY_OUTPUT_DIRECTORY ${KIT_MODULE_DIR}
    RUNTIME_OUTPUT_DIRECTORY ${KIT_MODULE_DIR}
    BUILD_RPATH "$ORIGIN/../lib"
    INSTALL_RPATH "$ORIGIN/../../lib")
  set_property(GLOBAL APPEND PROPERTY KIT_MODULES ${class})
  install(TARGETS ${class} LIBRARY DESTINATION lib/kit/modules RUNTIME DESTINATION lib/kit/modules)
endfunction()
