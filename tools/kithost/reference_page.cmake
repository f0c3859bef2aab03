# Writes the reference page of one class from the class itself:
#   cmake -DKITHOST=... -DCLASS=... -DOUT=... -P reference_page.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(
  COMMAND ${KITHOST} --describe ${CLASS} --markdown
  OUTPUT_VARIABLE page
  ERROR_VARIABLE diagnostics
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kithost --describe ${CLASS} failed (${status}): ${diagnostics}")
endif()
file(WRITE ${OUT} "${page}")
