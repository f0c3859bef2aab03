# Writes the reference page of one class from the class itself and from its
# description, and CLASS.drift beside the page when the two disagree (or the
# description is missing), for reference_check.cmake to report:
#   cmake -DKITHOST=... -DCLASS=... -DDOC=<CLASS.doc.json> -DOUT=... -P reference_page.cmake
cmake_minimum_required(VERSION 3.25)
get_filename_component(dir ${OUT} DIRECTORY)
set(drift_file ${dir}/${CLASS}.drift)
file(REMOVE ${drift_file})
if(NOT EXISTS "${DOC}")
  execute_process(
    COMMAND ${KITHOST} --describe ${CLASS} --markdown
    OUTPUT_VARIABLE page
    ERROR_VARIABLE diagnostics
    RESULT_VARIABLE status)
  file(WRITE ${drift_file} "no description ${DOC}\n")
else()
  execute_process(
    COMMAND ${KITHOST} --describe ${CLASS} --markdown --doc ${DOC}
    OUTPUT_VARIABLE page
    ERROR_VARIABLE diagnostics
    RESULT_VARIABLE status)
  # Status 1 with a page: the page is made, the description drifted.
  if(status EQUAL 1 AND page)
    file(WRITE ${drift_file} "${diagnostics}")
    set(status 0)
  endif()
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kithost --describe ${CLASS} failed (${status}): ${diagnostics}")
endif()
file(WRITE ${OUT} "${page}")
