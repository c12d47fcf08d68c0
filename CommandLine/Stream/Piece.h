#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "MyLibrary/Encoding/Iso2022Jp.h"

namespace BlankwiseCli {

// A byte buffer that grows without a zero fill, as every byte it grows by is written right away:
// the input read into it, the output converted into it.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    template <typename U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Arguments>
    void construct(U* place, Arguments&&... arguments) {
        ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
    }
};
using Bytes = std::vector<char, UninitializedAllocator<char>>;

inline std::string_view ViewOf(const Bytes& bytes) {
    return {bytes.data(), bytes.size()};
}

// A piece of the input and, once converted, its output. The reader fills it, one converting thread
// converts it, and the writer writes it; the queue hands it from one to the next (PieceQueue).
struct Piece {
    enum class State : std::uint8_t { Waiting, Converting, Converted };

    Bytes input;               // whole characters, unless the bytes are invalid
    std::int32_t column = 0;   // the display column its first line starts at
    std::uint64_t offset = 0;  // of input[0] in the stream
    // The piece was cut from the line it starts in.
    bool startsMidLine = false;
    // In ISO-2022-JP, the shift state its first byte is read in: the one the pieces before left.
    MyLibrary::Iso2022JpState shiftState;
    State state = State::Waiting;

    Bytes output;
    bool changed = false;
    bool invalid = false;
    std::size_t invalidAt = 0;  // offset in input of the first invalid bytes
    std::exception_ptr failure;
};

}  // namespace BlankwiseCli
