# Runs cycles.cmake on a graph of its own and judges the run by its exit
# status, its standard output and its standard error, each on its own.
#   cmake -DGRAPH=... [-DREPEATED=library] [-DREPORT=line] -P cycles_probe.cmake
# Without REPORT the graph must pass in silence; with it, the check must
# fail and its standard error begin with that line.
execute_process(COMMAND ${CMAKE_COMMAND} -DGRAPH=${GRAPH} -DREPEATED=${REPEATED}
                        -P ${CMAKE_CURRENT_LIST_DIR}/cycles.cmake
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT out STREQUAL "")
  message(FATAL_ERROR "standard output should be empty, but holds:\n${out}")
endif()
if(NOT DEFINED REPORT OR REPORT STREQUAL "")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GRAPH} should pass, but the check exited with ${status}:\n${err}")
  endif()
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "${GRAPH} passed with complaints on standard error:\n${err}")
  endif()
  return()
endif()
if(status EQUAL 0)
  message(FATAL_ERROR "${GRAPH} passed, but should be reported as \"${REPORT}\"")
endif()
string(FIND "${err}" "${REPORT}\n" at)
if(NOT at EQUAL 0)
  message(FATAL_ERROR "${GRAPH}: standard error should begin with \"${REPORT}\", but is:\n${err}")
endif()
