#include "CommandLine/Stream/StreamConversion.h"

#include <algorithm>
#include <bit>
#include <exception>
#include <memory>
#include <thread>
#include <utility>

#include "CommandLine/Stream/Piece.h"
#include "CommandLine/Stream/PieceConverter.h"
#include "CommandLine/Stream/PieceQueue.h"
#include "CommandLine/Stream/PieceReader.h"
#include "CommandLine/Stream/UnitLayout.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {

TriggerUnits TriggersOf(int conversionId) {
    const std::array<char16_t, 3> units = Blankwise::UnitsActedOn(conversionId);
    return {{units[0], units[1], units[2]}};
}

std::size_t TriggerUnits::FindIn(std::u16string_view text, std::size_t from) const {
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + text.size();
    const char16_t* p = begin + std::min(from, text.size());
#if BLANKWISE_HAS_SSE2
    const __m128i first = _mm_set1_epi16(static_cast<short>(units[0]));
    const __m128i second = _mm_set1_epi16(static_cast<short>(units[1]));
    const __m128i third = _mm_set1_epi16(static_cast<short>(units[2]));
    for (; end - p >= 8; p += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, first), _mm_cmpeq_epi16(block, second)),
                         _mm_cmpeq_epi16(block, third));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) {
            return static_cast<std::size_t>(p - begin) + static_cast<std::size_t>(std::countr_zero(mask)) / 2;
        }
    }
#endif
    for (; p != end; ++p) {
        if (*p == units[0] || *p == units[1] || *p == units[2]) {
            return static_cast<std::size_t>(p - begin);
        }
    }
    return std::u16string_view::npos;
}

std::size_t DefaultHelperThreads() {
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 1 ? std::min<std::size_t>(processors - 1, 3) : 0;
}

StreamOutcome ConvertStream(ByteSource& source, ByteSink* sink, const StreamSettings& settings) {
    StreamOutcome outcome;
    outcome.encoding = settings.encoding;
    PieceReader reader(source, settings);
    const std::string_view mark = reader.Start(outcome);
    if (!mark.empty() && sink != nullptr) {
        sink->Write(mark, true);
    }
    const bool writes = sink != nullptr;
    PieceConverter converter(settings.conversionId, outcome.encoding, writes, settings);
    PieceQueue queue(settings.conversionId, outcome.encoding, writes, settings.helperThreads, settings);
    bool changed = false;
    bool inputLeft = true;
    while (true) {
        // Reads ahead while there is room, so that helpers find pieces to convert.
        if (inputLeft && !queue.Full()) {
            std::unique_ptr<Piece> piece = queue.TakeSpare();
            if (reader.Next(*piece)) {
                queue.Push(std::move(piece));
                continue;
            }
            queue.Recycle(std::move(piece));
            inputLeft = false;
        }
        if (queue.Empty()) {
            break;
        }
        std::unique_ptr<Piece> piece = queue.PopConverted(converter);
        if (piece->failure) {
            std::rethrow_exception(piece->failure);
        }
        changed = changed || piece->changed;
        if (sink != nullptr && !piece->output.empty()) {
            sink->Write(ViewOf(piece->output), !changed);
        }
        if (piece->invalid) {
            outcome.invalid = true;
            outcome.errorOffset = piece->offset + piece->invalidAt;
            break;
        }
        queue.Recycle(std::move(piece));
    }
    outcome.changed = changed;
    return outcome;
}

}  // namespace BlankwiseCli
