# kit_warnings: the warnings of the kit's own code, which every target of the
# kit links (PRIVATE) and code of other authors (GoogleTest, the SDK's
# examples) does not. They are errors only with KIT_WERROR, which the
# presets set (a user's newer compiler may warn where ours does not, and
# must still build the kit).
option(KIT_WERROR "Treat warnings as errors" OFF)
add_library(kit_warnings INTERFACE)
target_compile_options(kit_warnings INTERFACE -Wall -Wextra $<$<BOOL:${KIT_WERROR}>:-Werror>)

# Sanitizers, chosen by the presets (KIT_SANITIZE=address;undefined or thread).
set(KIT_SANITIZE "" CACHE STRING "Sanitizers to build with (address;undefined or thread)")
if(KIT_SANITIZE)
  set(kit_sanitize ${KIT_SANITIZE})
  # GCC's "undefined" leaves out checks that apply to this code: a float
  # converted to an integer type that cannot hold it, a float divided by
  # zero (both undefined in C++), and bounds checks of trailing arrays.
  # Clang's "undefined" already takes the first.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND "undefined" IN_LIST KIT_SANITIZE)
    list(APPEND kit_sanitize float-cast-overflow float-divide-by-zero bounds-strict)
  endif()
  list(JOIN kit_sanitize "," kit_sanitizers)
  add_compile_options(-fsanitize=${kit_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${kit_sanitizers})
  # Methods are called through the pointer type of their registration, as a
  # host calls them, not through their own: clang's function-type check does
  # not apply.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND "undefined" IN_LIST KIT_SANITIZE)
    add_compile_options(-fno-sanitize=function)
    add_link_options(-fno-sanitize=function)
  endif()
endif()

# Fuzzing (KIT_FUZZ): every target is instrumented for libFuzzer's coverage;
# only the fuzz targets link its driver (fuzz/CMakeLists.txt).
if(KIT_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KIT_FUZZ needs clang (libFuzzer); this build uses ${CMAKE_CXX_COMPILER_ID}")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
