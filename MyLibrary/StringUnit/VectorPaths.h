#pragma once

// BLANKWISE_HAS_SSE2 is 1 where the compiler targets SSE2 (every x86-64 build, and the 32-bit
// Windows build, which asks for it), so that the text kernels take their SSE2 paths; it is 0 on
// other processors and in a build that defines BLANKWISE_SCALAR_ONLY, which keeps the scalar
// paths compiled and tested on a machine that has SSE2.
#if defined(__SSE2__) && !defined(BLANKWISE_SCALAR_ONLY)
#define BLANKWISE_HAS_SSE2 1
#include <emmintrin.h>
#else
#define BLANKWISE_HAS_SSE2 0
#endif

// BLANKWISE_POPCOUNT_DISPATCH is 1 where a build with SSE2 paths does not assume the x86
// instruction that counts a mask's bits: the loops that count them are compiled a second time for
// it, and taken on processors that have it (KernelVariants.h).
#if BLANKWISE_HAS_SSE2 && !defined(__POPCNT__) && (defined(__x86_64__) || defined(__i386__)) && \
    defined(__GNUC__)
#define BLANKWISE_POPCOUNT_DISPATCH 1
#else
#define BLANKWISE_POPCOUNT_DISPATCH 0
#endif
