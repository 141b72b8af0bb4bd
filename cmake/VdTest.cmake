# vd_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable, registered as one CTest test that runs from the
# tree's root so tests can reach data/ by relative path.
function(vd_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vd_testing GTest::gtest GTest::gmock
                        GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "VD_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
