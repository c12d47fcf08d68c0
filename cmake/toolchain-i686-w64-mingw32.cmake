# Cross build for 32-bit Windows with mingw-w64; the products run under Wine on Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

# The posix thread model gives GoogleTest the std::mutex it needs; -static keeps its runtime out
# of the products.

set(BLANKWISE_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${BLANKWISE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BLANKWISE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BLANKWISE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BLANKWISE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows executables (the tests among them) run under Wine with the project's prefix and a
# Japanese locale, so that GetACP() answers 932.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
