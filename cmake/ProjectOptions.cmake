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
