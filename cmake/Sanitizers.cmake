# The sanitize preset builds the whole tree with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang), so that the native test suite runs checked. With BLANKWISE_FUZZ every object also
# carries the coverage instrumentation libFuzzer steers by, and the fuzz targets are built.
option(BLANKWISE_SANITIZE "Build every target with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(BLANKWISE_FUZZ "Build the libFuzzer targets in fuzz/ (clang, with BLANKWISE_SANITIZE)" OFF)

if(BLANKWISE_SANITIZE)
    if(WIN32)
        message(FATAL_ERROR "BLANKWISE_SANITIZE is for the native build")
    endif()
    # Any finding ends the program with a failure: a test that trips a check cannot pass.
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(BLANKWISE_FUZZ)
    if(NOT BLANKWISE_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "BLANKWISE_FUZZ needs clang and BLANKWISE_SANITIZE (use the sanitize preset)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
