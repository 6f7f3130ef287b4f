# stubra_add_test(NAME SOURCES src... [LIBS lib...])
# A GoogleTest executable registered with CTest, each test case its own CTest test.
include(GoogleTest)
enable_testing()

function(stubra_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    # Under Wine the first listing may wait for the test prefix to be made.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
endfunction()
