# CLI11 for the Windows cross build. The library is header-only: the build
# uses Debian's headers through a folder that holds only them, since adding
# /usr/include itself would put the build machine's C library in front of
# mingw-w64's.
if(NOT TARGET CLI11::CLI11)
  set(cli11_stage ${CMAKE_BINARY_DIR}/cross-include)
  file(MAKE_DIRECTORY ${cli11_stage})
  if(NOT EXISTS ${cli11_stage}/CLI)
    file(CREATE_LINK /usr/include/CLI ${cli11_stage}/CLI SYMBOLIC)
  endif()
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cli11_stage})
endif()
set(CLI11_FOUND TRUE)
