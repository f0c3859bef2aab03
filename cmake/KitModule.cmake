# kit_add_module(CLASS SOURCES ...): a loadable module named after its class
# (CLASS.so, CLASS.dll on Windows), in the build's modules/ folder, linked
# against the host API. Only its entry point is exported. The class's
# description, CLASS.doc.json beside the module's CMakeLists.txt, explains its
# reference page (tools/kithost/reference_markdown.cpp).
#
# With KIT_SDK_DIR set, the modules are built against the visual host's own
# SDK instead of the shim: its headers (the folders under KIT_SDK_DIR that
# hold ext.h and ext_obex.h) and the libraries listed in KIT_SDK_LIBRARIES.
set(KIT_SDK_DIR "" CACHE PATH "The visual host's SDK: build the modules against it, not the shim")
set(KIT_SDK_LIBRARIES "" CACHE STRING "With KIT_SDK_DIR: the SDK libraries the modules link")
if(KIT_SDK_DIR)
  file(GLOB_RECURSE kit_sdk_headers ${KIT_SDK_DIR}/ext.h ${KIT_SDK_DIR}/ext_obex.h)
  if(NOT kit_sdk_headers)
    message(FATAL_ERROR "KIT_SDK_DIR: no ext.h or ext_obex.h under ${KIT_SDK_DIR}")
  endif()
  set(KIT_SDK_INCLUDE_DIRS "")
  foreach(header ${kit_sdk_headers})
    get_filename_component(dir ${header} DIRECTORY)
    list(APPEND KIT_SDK_INCLUDE_DIRS ${dir})
  endforeach()
  list(REMOVE_DUPLICATES KIT_SDK_INCLUDE_DIRS)
endif()

function(kit_add_module class)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_library(${class} MODULE ${ARG_SOURCES})
  if(KIT_SDK_DIR)
    target_include_directories(${class} BEFORE PRIVATE ${KIT_SDK_INCLUDE_DIRS})
    target_link_libraries(${class} PRIVATE ${KIT_SDK_LIBRARIES} ${ARG_LIBRARIES})
    target_compile_options(${class} PRIVATE -Wno-cast-function-type)
  else()
    target_link_libraries(${class} PRIVATE hostapi ${ARG_LIBRARIES})
  endif()
  set_target_properties(${class} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${class}
    LIBRARY_OUTPUT_DIRECTORY ${KIT_MODULE_DIR}
    RUNTIME_OUTPUT_DIRECTORY ${KIT_MODULE_DIR}
    BUILD_RPATH "$ORIGIN/../lib"
    INSTALL_RPATH "$ORIGIN/..")
  # A module that calls only the host's functions would otherwise not name
  # the C library it runs with (its start-up code still needs it).
  if(NOT WIN32 AND NOT APPLE)
    target_link_options(${class} PRIVATE "LINKER:--push-state,--no-as-needed,-lc,--pop-state")
  endif()
  set_property(GLOBAL APPEND PROPERTY KIT_MODULES ${class})
  set_property(GLOBAL PROPERTY KIT_DOC_${class} ${CMAKE_CURRENT_SOURCE_DIR}/${class}.doc.json)
  install(TARGETS ${class} LIBRARY DESTINATION ${KIT_INSTALL_MODULE_DIR}
                           RUNTIME DESTINATION ${KIT_INSTALL_MODULE_DIR})
endfunction()
