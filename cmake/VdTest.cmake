# vd_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable whose cases CTest runs one by one, as
# <NAME>.<Suite>.<Case>, from the tree's root so tests can reach data/ by
# relative path. The cases of one executable run as parallel processes: a case
# that writes files does so in a folder of its own (tests/testing/temp_folder.h).
include(GoogleTest)

function(vd_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vd_testing GTest::gtest GTest::gmock
                        GTest::gtest_main)
  # Listed when the tests run rather than after the link, so a sanitizer build
  # does not run every test program during the build. A table's cases keep
  # the names the table gives them, without the printed value.
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    NO_PRETTY_VALUES
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    PROPERTIES ENVIRONMENT "VD_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    DISCOVERY_MODE PRE_TEST)
endfunction()
