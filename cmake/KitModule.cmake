# kit_add_module(CLASS SOURCES ... [LIBRARIES ...]): a loadable module named
# after its class (CLASS.so; CLASS.mxe64 on Windows, the visual host's name
# for an external), in the build's modules/ folder, linked against the host
# API. Only its entry points (ext_main, main) are exported.
# The class's description, CLASS.doc.json beside the module's CMakeLists.txt,
# explains its reference page (tools/kithost/reference_markdown.cpp).
#
# With the SDK (KIT_USE_SDK, or KIT_SDK_DIR set), the modules are compiled
# against the visual host's own SDK headers instead of host/include (see
# kit_target_use_sdk). They then link the libraries in KIT_SDK_LIBRARIES (on
# Windows by default the SDK's import library) or, when it is empty, the
# kit's host library, so that kithost and the tests load and run the very
# modules the SDK headers made.
set(KIT_SDK_DIR "" CACHE PATH "The visual host's SDK: build the modules against its headers")
set(KIT_SDK_LIBRARIES "" CACHE STRING
    "With KIT_SDK_DIR: what the modules link instead of the kit's host library")
option(KIT_USE_SDK "Build the modules against the visual host's SDK, found as kit_find_sdk says"
       OFF)

include(KitSdk)

# The SDK asked for (KIT_USE_SDK, as the sdk and windows presets do) is looked
# up; a Windows build links the SDK's import library unless told otherwise.
if(KIT_USE_SDK OR KIT_SDK_DIR)
  kit_find_sdk(KIT_SDK_DIR ${PROJECT_SOURCE_DIR} REQUIRED)
  if(WIN32 AND NOT KIT_SDK_LIBRARIES)
    file(GLOB_RECURSE KIT_SDK_LIBRARIES ${KIT_SDK_DIR}/MaxAPI.lib)
    list(FILTER KIT_SDK_LIBRARIES INCLUDE REGEX "/x64/MaxAPI.lib$")
    if(NOT KIT_SDK_LIBRARIES)
      message(FATAL_ERROR "${KIT_SDK_DIR}: no x64/MaxAPI.lib under it (the SDK's import library)")
    endif()
  endif()
  message(STATUS "Modules built against the visual host's SDK in ${KIT_SDK_DIR}")
endif()

# kit_sdk_include_dirs(OUT SDK_DIR): the folders under SDK_DIR that hold the
# SDK's ext.h and ext_obex.h (SDK_DIR may be the SDK base or its
# c74support/max-includes). A folder without them is a configuration error.
function(kit_sdk_include_dirs out sdk_dir)
  file(GLOB_RECURSE headers ${sdk_dir}/ext.h ${sdk_dir}/ext_obex.h)
  set(dirs "")
  foreach(header ${headers})
    get_filename_component(dir ${header} DIRECTORY)
    list(APPEND dirs ${dir})
  endforeach()
  list(REMOVE_DUPLICATES dirs)
  if(NOT dirs)
    message(FATAL_ERROR "${sdk_dir}: no ext.h or ext_obex.h under it (expected the host's SDK)")
  endif()
  set(${out} ${dirs} PARENT_SCOPE)
endfunction()

# kit_target_use_sdk(TARGET SDK_DIR): compiles TARGET against the SDK headers
# under SDK_DIR, for this platform (LINUX_VERSION, WIN_VERSION or
# MAC_VERSION). The target must not also see host/include: the first ext.h
# found would win. The SDK's headers are read as system headers, as any
# third-party headers are: warnings inside them are not the kit's to mend,
# while those they cause in the objects' own code still show.
function(kit_target_use_sdk target sdk_dir)
  kit_sdk_include_dirs(dirs ${sdk_dir})
  target_include_directories(${target} SYSTEM BEFORE PRIVATE ${dirs})
  if(WIN32)
    target_compile_definitions(${target} PRIVATE WIN_VERSION)
  elseif(APPLE)
    target_compile_definitions(${target} PRIVATE MAC_VERSION)
  else()
    target_compile_definitions(${target} PRIVATE LINUX_VERSION)
  endif()
  # Methods are registered cast to the generic method type, as with the
  # kit's own headers (see host/CMakeLists.txt).
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANG_AND_ID:C,GNU,Clang,AppleClang>:-Wno-cast-function-type>
    $<$<COMPILE_LANG_AND_ID:CXX,GNU,Clang,AppleClang>:-Wno-cast-function-type>)
endfunction()

function(kit_add_module class)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_library(${class} MODULE ${ARG_SOURCES})
  target_link_libraries(${class} PRIVATE kit_warnings)
  if(KIT_SDK_DIR)
    kit_target_use_sdk(${class} ${KIT_SDK_DIR})
    if(KIT_SDK_LIBRARIES)
      target_link_libraries(${class} PRIVATE ${KIT_SDK_LIBRARIES})
    else()
      # The host library's binary only: its headers are the ones replaced.
      find_package(Threads REQUIRED)
      target_link_libraries(${class} PRIVATE $<TARGET_LINKER_FILE:hostapi> Threads::Threads)
      add_dependencies(${class} hostapi)
    endif()
    target_link_libraries(${class} PRIVATE ${ARG_LIBRARIES})
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
  if(WIN32)
    set_target_properties(${class} PROPERTIES SUFFIX .mxe64)
  endif()
  # The visual host on macOS loads externals as CLASS.mxo bundles.
  if(APPLE AND KIT_SDK_DIR)
    set_target_properties(${class} PROPERTIES BUNDLE TRUE BUNDLE_EXTENSION mxo)
  endif()
  set_property(GLOBAL APPEND PROPERTY KIT_MODULES ${class})
  set_property(GLOBAL PROPERTY KIT_DOC_${class} ${CMAKE_CURRENT_SOURCE_DIR}/${class}.doc.json)
  install(TARGETS ${class} LIBRARY DESTINATION ${KIT_INSTALL_MODULE_DIR}
                           RUNTIME DESTINATION ${KIT_INSTALL_MODULE_DIR})
endfunction()
