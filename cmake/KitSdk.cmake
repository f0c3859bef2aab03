# kit_find_sdk(OUT SOURCE_DIR [REQUIRED]): the visual host's SDK base, looked
# up as KIT_SDK_DIR, then ../shared/max-sdk-base beside the sources, then
# the third_party/max-sdk-base submodule (the vendor's public max-sdk-base
# repository; `git submodule update --init third_party/max-sdk-base`). Empty
# when there is none; with REQUIRED, none stops the configuration with one
# line that says where to get it.
function(kit_find_sdk out source_dir)
  cmake_parse_arguments(ARG "REQUIRED" "" "" ${ARGN})
  set(found "")
  if(KIT_SDK_DIR)
    set(found ${KIT_SDK_DIR})
  else()
    foreach(candidate ${source_dir}/../shared/max-sdk-base ${source_dir}/third_party/max-sdk-base)
      if(EXISTS ${candidate}/c74support/max-includes/ext.h)
        get_filename_component(found ${candidate} ABSOLUTE)
        break()
      endif()
    endforeach()
  endif()
  if(NOT found AND ARG_REQUIRED)
    message(FATAL_ERROR "No visual host SDK: set KIT_SDK_DIR to a checkout of the vendor's public "
                        "max-sdk-base repository, or run: git submodule update --init "
                        "third_party/max-sdk-base")
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# kit_sdk_host_version(OUT SDK_DIR): the host version the SDK is for, from
# its ext.h (C74_MAX_SDK_VERSION 0x0820 is "8.2.0"); empty when it says none.
function(kit_sdk_host_version out sdk_dir)
  file(GLOB_RECURSE headers ${sdk_dir}/ext.h)
  set(version "")
  foreach(header ${headers})
    file(STRINGS ${header} lines REGEX "^#define C74_MAX_SDK_VERSION 0x[0-9A-Fa-f]+")
    if(lines MATCHES "0x([0-9A-Fa-f]+)([0-9A-Fa-f])([0-9A-Fa-f])$")
      math(EXPR major "0x${CMAKE_MATCH_1}")
      math(EXPR minor "0x${CMAKE_MATCH_2}")
      math(EXPR patch "0x${CMAKE_MATCH_3}")
      set(version ${major}.${minor}.${patch})
    endif()
  endforeach()
  set(${out} ${version} PARENT_SCOPE)
endfunction()
