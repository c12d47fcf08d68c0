# Cross build for 64-bit Windows with mingw-w64; the products run under Wine on Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model gives GoogleTest the std::mutex it needs; -static keeps its runtime out
# of the products.

set(BLANKWISE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BLANKWISE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BLANKWISE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BLANKWISE_MINGW_PREFIX}-windres)

# SSE2 is part of x86-64, and the Windows x64 calling convention keeps the stack 16-byte aligned at
# every call, so the text kernels take their SSE2 paths without the flags the i686 build needs.

set(CMAKE_FIND_ROOT_PATH /usr/${BLANKWISE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows executables (the tests among them) run under 64-bit Wine with the project's 64-bit prefix
# (build/wineprefix64) and a Japanese locale, so that GetACP() answers 932.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine64-run.sh)
