# Where the build looks for the visual host's SDK (cmake/KitSdk.cmake): the
# option first, then ../shared beside the sources, then the submodule; a
# build that needs it and finds none stops with a line naming the option.
# And the host version an SDK is for, which the package names as its oldest.
#   cmake -DSOURCE_DIR=<source> -DWORK=<empty folder> -P sdk_lookup_check.cmake
cmake_minimum_required(VERSION 3.25)
include(${SOURCE_DIR}/cmake/KitSdk.cmake)
file(REMOVE_RECURSE ${WORK})
set(tree ${WORK}/clone)
set(shared ${WORK}/shared/max-sdk-base)
set(submodule ${tree}/third_party/max-sdk-base)
set(faults "")
macro(expect what got wanted)
  if(NOT "${got}" STREQUAL "${wanted}")
    string(APPEND faults "  ${what}: found '${got}', expected '${wanted}'\n")
  endif()
endmacro()

file(MAKE_DIRECTORY ${tree})
set(KIT_SDK_DIR "")
kit_find_sdk(found ${tree})
expect("with no SDK anywhere" "${found}" "")

# REQUIRED with nothing to find stops the configuration: a configure run of
# its own shows the line.
file(WRITE ${WORK}/required/CMakeLists.txt
     "cmake_minimum_required(VERSION 3.25)\nproject(lookup NONE)\n"
     "include(${SOURCE_DIR}/cmake/KitSdk.cmake)\nkit_find_sdk(found \${PROJECT_SOURCE_DIR} REQUIRED)\n")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK}/required -B ${WORK}/required/build
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(status EQUAL 0)
  string(APPEND faults "  a required SDK that is missing did not stop the configuration\n")
elseif(NOT err MATCHES "KIT_SDK_DIR" OR NOT err MATCHES "max-sdk-base")
  string(APPEND faults "  the missing SDK's message names neither KIT_SDK_DIR nor max-sdk-base:\n${err}\n")
endif()

file(WRITE ${submodule}/c74support/max-includes/ext.h "#define C74_MAX_SDK_VERSION 0x0913\n")
kit_find_sdk(found ${tree})
expect("with the submodule alone" "${found}" "${submodule}")
kit_sdk_host_version(version ${found})
expect("the host version of SDK 0x0913" "${version}" "9.1.3")

# An empty submodule folder (not checked out) is no SDK.
file(WRITE ${shared}/README.md "")
kit_find_sdk(found ${tree})
expect("with an empty folder beside the sources" "${found}" "${submodule}")
file(WRITE ${shared}/c74support/max-includes/ext.h "")
kit_find_sdk(found ${tree})
expect("with the SDK beside the sources" "${found}" "${shared}")

set(KIT_SDK_DIR ${WORK}/elsewhere)
kit_find_sdk(found ${tree})
expect("with KIT_SDK_DIR" "${found}" "${WORK}/elsewhere")

file(REMOVE_RECURSE ${WORK})
if(faults)
  message(FATAL_ERROR "SDK lookup:\n${faults}")
endif()
