#pragma once

#include <cstdint>
#include <span>

namespace MyLibrary {

// The forms the byte path's block kernels are compiled in: the masks of blanks and breaks
// (CommandLine/Stream/ByteBlocks.h), the starts and widths of UTF-8 characters (Encoding/Utf8Facts.h,
// CommandLine/Stream/Utf8Widths) and the UTF-8 validator's check of whole blocks
// (Encoding/Utf8Decoder). The library's other kernels take their SSE2 paths wherever the build has
// them.
enum class KernelVariant : std::uint8_t {
    Scalar,        // portable code, a byte at a time
    Sse2,          // SSE2, a mask's bits counted by arithmetic
    Sse2Popcount,  // SSE2, a mask's bits counted by the instruction for it
};

// The variants this build holds and this processor runs, the plainest first: Scalar; Sse2 in a
// build with SSE2 paths; Sse2Popcount where the processor has the instruction that counts bits
// and the build does not assume it.
std::span<const KernelVariant> AvailableKernelVariants();

// The variant the kernels set up from now on take: the last available one unless forced.
KernelVariant ActiveKernelVariant();

// Makes the kernels set up from now on take variant, so that one test program runs each on the
// same texts; false, and nothing changes, where it is not available. A conversion set up before
// keeps the variant it took.
bool ForceKernelVariant(KernelVariant variant);

}  // namespace MyLibrary
