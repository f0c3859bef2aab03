# Writes the reference page of one class from the class itself and from its
# description, and CLASS.drift beside the page when the two disagree (or the
# description is missing), for reference_check.cmake to report:
#   cmake -DKITHOST=... -DCLASS=... -DDOC=<CLASS.doc.json> -DOUT=... [-DFORMAT=maxref]
#         -P reference_page.cmake
# FORMAT is markdown (docs/reference/CLASS.md, the default) or maxref (the
# visual host's CLASS.maxref.xml).
cmake_minimum_required(VERSION 3.25)
if(NOT FORMAT)
  set(FORMAT markdown)
endif()
get_filename_component(dir ${OUT} DIRECTORY)
set(drift_file ${dir}/${CLASS}.drift)
file(REMOVE ${drift_file})
if(NOT EXISTS "${DOC}")
  execute_process(
    COMMAND ${KITHOST} --describe ${CLASS} --${FORMAT}
    OUTPUT_VARIABLE page
    ERROR_VARIABLE diagnostics
    RESULT_VARIABLE status)
  file(WRITE ${drift_file} "no description ${DOC}\n")
else()
  execute_process(
    COMMAND ${KITHOST} --describe ${CLASS} --${FORMAT} --doc ${DOC}
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
