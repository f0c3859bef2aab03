# nlohmann-json for the Windows cross build. The library is header-only: the
# build uses Debian's headers through a folder that holds only them, since
# adding /usr/include itself would put the build machine's C library in front
# of mingw-w64's.
if(NOT TARGET nlohmann_json::nlohmann_json)
  set(nlohmann_json_stage ${CMAKE_BINARY_DIR}/cross-include)
  file(MAKE_DIRECTORY ${nlohmann_json_stage})
  if(NOT EXISTS ${nlohmann_json_stage}/nlohmann)
    file(CREATE_LINK /usr/include/nlohmann ${nlohmann_json_stage}/nlohmann SYMBOLIC)
  endif()
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${nlohmann_json_stage})
endif()
set(nlohmann_json_FOUND TRUE)
