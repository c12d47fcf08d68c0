# Warnings are errors in both builds; Windows products link the GCC runtime statically so that
# they need only Windows' own DLLs.
function(blankwise_set_options target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion -Wnon-virtual-dtor -Werror)
    if(WIN32)
        target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
        target_link_options(${target} PRIVATE -static-libgcc -static-libstdc++ -static)
    endif()
endfunction()

# The scalar build compiles every text kernel without its SSE2 path, so that the native suite
# keeps the portable paths tested on a machine that has SSE2.
option(BLANKWISE_SCALAR_ONLY "Build the text kernels without their SSE2 paths" OFF)
if(BLANKWISE_SCALAR_ONLY)
    add_compile_definitions(BLANKWISE_SCALAR_ONLY)
endif()

# Every processor that runs a supported Windows has SSE2, so the 32-bit Windows build takes the
# text kernels' SSE2 paths as the 64-bit builds do. A 32-bit host may call an export with the stack
# aligned to 4 bytes only: -mstackrealign realigns it where SSE2 spills need 16.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_compile_options(-msse2 -mfpmath=sse -mstackrealign)
endif()
