# GoogleTest: the system's build natively; built from Debian's googletest sources for Windows.
if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    set(BLANKWISE_GTEST_MAIN gtest_main)
else()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    set(BLANKWISE_GTEST_MAIN GTest::gtest_main)
endif()

# One test executable; the caller links what it tests. Natively each case is its own CTest test;
# under Wine, where starting a program costs seconds, the executable is one test.
function(blankwise_add_test_executable name)
    add_executable(${name} ${ARGN})
    blankwise_set_options(${name})
    # The code under test comes from the libraries, built as they ship. The tests' own files, most of
    # what the test command compiles, need no more than -O1: each tree builds 15-20 % faster.
    target_compile_options(${name} PRIVATE -O1)
    target_link_libraries(${name} PRIVATE ${BLANKWISE_GTEST_MAIN})
    if(WIN32)
        add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()
