# Every module exports its two entry points, ext_main (what the visual host
# calls) and main (for older hosts), and nothing else of its own:
#   cmake -DNM=<nm> -DMODULES="<file>;<file>..." -P module_exports_check.cmake
cmake_minimum_required(VERSION 3.25)
set(faults "")
foreach(module ${MODULES})
  execute_process(COMMAND ${NM} -D --defined-only --format=posix ${module}
                  OUTPUT_VARIABLE text RESULT_VARIABLE status TIMEOUT 60)
  if(NOT status EQUAL 0)
    string(APPEND faults "  ${NM} failed on ${module}\n")
    continue()
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${text}")
  set(names "")
  foreach(line ${lines})
    string(REGEX REPLACE " .*$" "" name "${line}")
    # The linker's own markers of the sections and the start-up code are in
    # every shared object.
    if(NOT name MATCHES "^(_init|_fini|_edata|_end|__bss_start)$")
      list(APPEND names ${name})
    endif()
  endforeach()
  list(SORT names)
  get_filename_component(file ${module} NAME)
  if(NOT names STREQUAL "ext_main;main")
    string(APPEND faults "  ${file} exports [${names}], not ext_main and main alone\n")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "module exports:\n${faults}")
endif()
list(LENGTH MODULES count)
message(STATUS "${count} modules export ext_main and main")
