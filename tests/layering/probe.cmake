# Builds one layering probe and judges the build by its exit status, its
# standard output and its standard error, each on its own.
#   cmake -DBUILD_DIR=... -DTARGET=... -DGENERATOR=... [-DHIDDEN_HEADER=h] -P probe.cmake
# Without HIDDEN_HEADER the probe must compile cleanly; with it, the build
# must fail because exactly that header is not found.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(built_line FALSE)
if(GENERATOR MATCHES "Makefiles" AND out MATCHES "Built target ${TARGET}")
  set(built_line TRUE)
endif()

if(NOT DEFINED HIDDEN_HEADER OR HIDDEN_HEADER STREQUAL "")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TARGET} should compile, but the build exited with ${status}:\n${err}")
  endif()
  if(err MATCHES "(error|warning)")
    message(FATAL_ERROR "${TARGET} compiled with complaints on standard error:\n${err}")
  endif()
  if(GENERATOR MATCHES "Makefiles" AND NOT built_line)
    message(FATAL_ERROR "${TARGET}: standard output does not say the target was built:\n${out}")
  endif()
  return()
endif()

if(status EQUAL 0)
  message(FATAL_ERROR "${TARGET} compiled, but ${HIDDEN_HEADER} should be out of its sight")
endif()
string(REPLACE "." "\\." pattern "${HIDDEN_HEADER}")
if(NOT err MATCHES "${pattern}'?: (No such file or directory|file not found)")
  message(FATAL_ERROR "${TARGET} failed, but not for want of ${HIDDEN_HEADER}:\n${err}")
endif()
if(built_line)
  message(FATAL_ERROR "${TARGET}: standard output says the target was built:\n${out}")
endif()
