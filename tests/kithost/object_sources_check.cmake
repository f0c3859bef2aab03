# The object sources build unchanged against the visual host's own SDK: they
# include only the host's usual headers (ext*.h), the support library's,
# their own and the system's, and never reach into the embedding runtime
# (kit/ headers, the kit:: namespace).
#   cmake -DSOURCE_DIR=<source> -P object_sources_check.cmake
cmake_minimum_required(VERSION 3.25)
file(GLOB sources ${SOURCE_DIR}/Sources/Max/universal/*.cpp ${SOURCE_DIR}/Sources/Max/universal/*.c
     ${SOURCE_DIR}/Sources/Max/universal/*.h ${SOURCE_DIR}/Sources/Max/universal/*/*.cpp
     ${SOURCE_DIR}/Sources/Max/universal/*/*.h ${SOURCE_DIR}/mensor/*.cpp ${SOURCE_DIR}/mensor/*.c ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h)
set(faults "")
foreach(source ${sources})
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
    if(NOT header MATCHES "^(ext[a-z_]*\\.h|system/.*|communication/.*|types/.*|[A-Za-z0-9_]+\\.h)$"
       OR header MATCHES "^kit/")
      # An object's own header in a folder beside it, or in the folder above.
      get_filename_component(dir ${source} DIRECTORY)
      if(NOT header MATCHES "^(\\.\\./)?([A-Za-z0-9_]+/)?[A-Za-z0-9_]+\\.h$" OR NOT EXISTS ${dir}/${header})
        string(APPEND faults "  ${source}: includes \"${header}\"\n")
      endif()
    endif()
  endforeach()
  # <...> is for the system's headers: never a way around the rule above.
  file(STRINGS ${source} angled REGEX "^[ \t]*#[ \t]*include[ \t]*<")
  foreach(line ${angled})
    string(REGEX REPLACE "^[^<]*<([^>]*)>.*$" "\\1" header "${line}")
    if(header MATCHES "^kit/" OR EXISTS ${SOURCE_DIR}/host/src/${header}
       OR EXISTS ${SOURCE_DIR}/tools/kithost/${header})
      string(APPEND faults "  ${source}: includes <${header}>\n")
    endif()
  endforeach()
  file(STRINGS ${source} runtime_uses REGEX "kit::|kit/host\\.hpp|kit/text\\.hpp")
  if(runtime_uses)
    string(APPEND faults "  ${source}: uses the embedding runtime\n")
  endif()
endforeach()
if(NOT sources)
  message(FATAL_ERROR "no object sources under ${SOURCE_DIR}")
endif()
if(faults)
  message(FATAL_ERROR "object sources that would not build against the host's SDK:\n${faults}")
endif()
