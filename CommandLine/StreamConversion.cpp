#include "StreamConversion.h"

#include <algorithm>
#include <array>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "Blankwise/ConversionPipelines.h"
#include "InitialBlanks.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {
namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kSpace = u' ';
constexpr char16_t kFullWidthSpace = u'\u3000';
constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

// Lines without triggers closer than this many bytes to converted ones go through the pipeline
// with them: one call for a few short lines costs less than a call for each, and more than a few
// cost more to decode and encode than to check and copy.
constexpr std::size_t kJoinGap = 128;

// Lines joined into one call of the pipeline stop at this many bytes, so that the text, its
// conversion and their encodings stay in the processor's nearer caches.
constexpr std::size_t kRunBytes = std::size_t{1} << 14;

// Pieces read but not yet written, per converting thread.
constexpr std::size_t kPiecesPerThread = 2;

// Input bytes: a buffer that grows without a zero fill, as every byte it grows by is read into
// right away.
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
using InputBytes = std::vector<char, UninitializedAllocator<char>>;

std::string_view ViewOf(const InputBytes& bytes) {
    return {bytes.data(), bytes.size()};
}

bool IsBreak(char16_t unit) {
    return unit == kCr || unit == kLf;
}

// How an encoding lays out the units the stream is cut and scanned by. In UTF-8 and code page 932
// the bytes of tabs, spaces and breaks are characters wherever they appear: no other character
// holds them (a code page 932 trail byte is 0x40 or above). In UTF-16 they are units at even
// offsets.
struct Layout {
    Encoding encoding;
    std::size_t unitBytes;  // 1, or 2 for UTF-16
    bool bigEndian;

    explicit Layout(Encoding e)
        : encoding(e),
          unitBytes(e == Encoding::Utf16Le || e == Encoding::Utf16Be ? 2 : 1),
          bigEndian(e == Encoding::Utf16Be) {}

    // The unit at byte offset i (a byte, or a UTF-16 unit at an even offset).
    char16_t UnitAt(std::string_view bytes, std::size_t i) const {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        if (unitBytes == 1) {
            return first;
        }
        const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }

    // The end of the line that holds the unit at pos, after its break (only that one: a CR LF
    // ends two lines here), or the end of bytes.
    std::size_t LineEndAfter(std::string_view bytes, std::size_t pos) const {
        const std::size_t size = bytes.size() - (bytes.size() - pos) % unitBytes;
        for (; pos < size; pos += unitBytes) {
            if (IsBreak(UnitAt(bytes, pos))) {
                return pos + unitBytes;
            }
        }
        return bytes.size();
    }

    // The start of the line that holds the unit at pos, not before floor (a line start).
    std::size_t LineStart(std::string_view bytes, std::size_t pos, std::size_t floor) const {
        while (pos > floor && !IsBreak(UnitAt(bytes, pos - unitBytes))) {
            pos -= unitBytes;
        }
        return pos;
    }
};

// Finds the first of up to three short byte patterns (the encoded forms of units) at a unit
// boundary, sixteen positions at a time where SSE2 is at hand.
class BytePatterns {
  public:
    BytePatterns(const Layout& layout, std::initializer_list<char16_t> units) : align_(layout.unitBytes) {
        for (const char16_t unit : units) {
            if (unit == TriggerUnits::kNone) {
                continue;
            }
            std::string bytes;
            Encode(layout.encoding, std::u16string_view(&unit, 1), bytes);
            Pattern& pattern = patterns_[count_++];
            pattern.length = bytes.size();
            std::copy(bytes.begin(), bytes.end(), pattern.bytes.begin());
            oneByteEach_ = oneByteEach_ && pattern.length == 1;
        }
    }

    // The offset of the first match at or after from (a unit boundary), or npos.
    std::size_t FindIn(std::string_view text, std::size_t from) const {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        const std::size_t size = text.size();
        std::size_t p = from;
#if BLANKWISE_HAS_SSE2
        __m128i first[3];
        __m128i second[3];
        __m128i third[3];
        const __m128i all = _mm_set1_epi8(-1);
        for (std::size_t k = 0; k < count_; ++k) {
            const Pattern& pattern = patterns_[k];
            first[k] = _mm_set1_epi8(static_cast<char>(pattern.bytes[0]));
            second[k] = _mm_set1_epi8(static_cast<char>(pattern.bytes[1]));
            third[k] = _mm_set1_epi8(static_cast<char>(pattern.bytes[2]));
        }
        if (oneByteEach_) {
            // Tabs, spaces and breaks in UTF-8 and code page 932: 32 bytes a step, one comparison
            // for each pattern.
            const auto hitsIn = [&](const std::uint8_t* at) {
                const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
                __m128i hits = _mm_setzero_si128();
                for (std::size_t k = 0; k < count_; ++k) {
                    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, first[k]));
                }
                return static_cast<std::uint32_t>(_mm_movemask_epi8(hits));
            };
            for (; p + 32 <= size; p += 32) {
                const std::uint32_t mask = hitsIn(bytes + p) | hitsIn(bytes + p + 16) << 16;
                if (mask != 0) {
                    return p + static_cast<std::size_t>(std::countr_zero(mask));
                }
            }
        }
        // Offsets of a unit boundary among sixteen that start on one.
        const unsigned aligned = align_ == 2 ? 0x5555u : 0xFFFFu;
        for (; p + 18 <= size; p += 16) {
            const __m128i at0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p));
            const __m128i at1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p + 1));
            const __m128i at2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p + 2));
            __m128i hits = _mm_setzero_si128();
            for (std::size_t k = 0; k < count_; ++k) {
                const std::size_t length = patterns_[k].length;
                const __m128i one = _mm_cmpeq_epi8(at0, first[k]);
                const __m128i two = length > 1 ? _mm_cmpeq_epi8(at1, second[k]) : all;
                const __m128i three = length > 2 ? _mm_cmpeq_epi8(at2, third[k]) : all;
                hits = _mm_or_si128(hits, _mm_and_si128(one, _mm_and_si128(two, three)));
            }
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)) & aligned;
            if (mask != 0) {
                return p + static_cast<std::size_t>(std::countr_zero(mask));
            }
        }
#endif
        for (; p < size; p += align_) {
            for (std::size_t k = 0; k < count_; ++k) {
                const Pattern& pattern = patterns_[k];
                if (size - p >= pattern.length &&
                    std::equal(pattern.bytes.begin(),
                               pattern.bytes.begin() + static_cast<std::ptrdiff_t>(pattern.length),
                               bytes + p)) {
                    return p;
                }
            }
        }
        return std::string_view::npos;
    }

  private:
    struct Pattern {
        std::array<std::uint8_t, 4> bytes{};
        std::size_t length = 0;
    };
    std::array<Pattern, 3> patterns_{};
    std::size_t count_ = 0;
    std::size_t align_;
    bool oneByteEach_ = true;  // every pattern is one byte (and so is a unit)
};

// A piece of the input and, once converted, its output.
struct Piece {
    enum class State : std::uint8_t { Waiting, Converting, Converted };

    InputBytes input;          // whole characters, unless the bytes are invalid
    std::int32_t column = 0;   // the display column its first line starts at
    std::uint64_t offset = 0;  // of input[0] in the stream
    // The piece was cut from the line it starts in.
    bool startsMidLine = false;
    State state = State::Waiting;

    std::string output;
    bool changed = false;
    bool invalid = false;
    std::size_t invalidAt = 0;  // offset in input of the first invalid bytes
    std::exception_ptr failure;
};

// Converts pieces one at a time; one for each converting thread, for its buffers.
class PieceConverter {
  public:
    PieceConverter(int conversionId, Encoding encoding, bool writes, const StreamSettings& settings)
        : conversionId_(conversionId),
          tabWidth_(settings.tabWidth),
          initialOnly_(settings.initialOnly),
          layout_(encoding),
          triggers_(layout_, {TriggersOf(conversionId).units[0], TriggersOf(conversionId).units[1],
                              TriggersOf(conversionId).units[2]}),
          breaks_(layout_, {kCr, kLf}),
          writes_(writes) {}

    void Convert(Piece& piece) {
        try {
            ConvertLines(piece);
        } catch (...) {
            piece.failure = std::current_exception();
        }
    }

  private:
    // The end of the line that holds the unit at pos, after its break, or the end of bytes.
    std::size_t LineEnd(std::string_view bytes, std::size_t pos) const {
        const std::size_t found = breaks_.FindIn(bytes, pos);
        return found == std::string_view::npos ? bytes.size() : found + layout_.unitBytes;
    }

    // Lines that hold none of the trigger units' bytes are checked and copied; the others go
    // through the pipeline, together with the short stretches between them.
    void ConvertLines(Piece& piece) {
        piece.output.clear();
        piece.changed = false;
        piece.invalid = false;
        piece.failure = nullptr;
        const std::string_view bytes = ViewOf(piece.input);
        std::size_t copied = 0;
        std::size_t next = triggers_.FindIn(bytes, 0);
        while (next != std::string_view::npos) {
            const std::size_t runStart = layout_.LineStart(bytes, next, copied);
            std::size_t runEnd = LineEnd(bytes, next);
            next = triggers_.FindIn(bytes, runEnd);
            while (next != std::string_view::npos && next - runEnd <= kJoinGap &&
                   runEnd - runStart < kRunBytes) {
                runEnd = LineEnd(bytes, next);
                next = triggers_.FindIn(bytes, runEnd);
            }
            if (!Copy(piece, copied, runStart) || !ConvertRun(piece, runStart, runEnd)) {
                return;
            }
            copied = runEnd;
        }
        Copy(piece, copied, bytes.size());
    }

    // Bytes the conversion leaves as they are, once they are known to be valid.
    bool Copy(Piece& piece, std::size_t from, std::size_t to) {
        const std::string_view bytes = ViewOf(piece.input).substr(from, to - from);
        const DecodeResult checked = Validate(layout_.encoding, bytes, true);
        if (writes_) {
            piece.output.append(bytes.substr(0, checked.consumed));
        }
        if (checked.invalid) {
            piece.invalid = true;
            piece.invalidAt = from + checked.consumed;
            return false;
        }
        return true;
    }

    // Lines from from to to (whole lines, but for the piece's ends) through the pipeline. When
    // the pipeline leaves them as they were, their bytes are copied.
    bool ConvertRun(Piece& piece, std::size_t from, std::size_t to) {
        const std::string_view bytes = ViewOf(piece.input).substr(from, to - from);
        units_.clear();
        bool recoded = false;
        const DecodeResult decoded = Decode(layout_.encoding, bytes, true, units_, recoded);
        if (decoded.invalid) {
            piece.invalid = true;
            piece.invalidAt = from + decoded.consumed;
            return false;
        }
        const std::int32_t column = from == 0 ? piece.column : 0;
        converted_ = initialOnly_ ? ConvertInitialBlanks(conversionId_, units_, column,
                                                         from == 0 && piece.startsMidLine, tabWidth_)
                                  : Blankwise::ConvertSelection(conversionId_, units_, column, tabWidth_);
        if (converted_ == units_) {
            if (writes_) {
                piece.output.append(bytes);
            }
            return true;
        }
        piece.changed = true;
        if (writes_) {
            if (recoded) {
                EncodeChangedLines(bytes, piece.output);
            } else {
                Encode(layout_.encoding, converted_, piece.output);
            }
        }
        return true;
    }

    // Some characters would come back as other bytes: the lines the pipeline left as they were
    // keep theirs. Each break is one unit in the text and in its conversion, which no pipeline
    // adds or removes, so the lines pair up in order.
    void EncodeChangedLines(std::string_view bytes, std::string& out) {
        const std::u16string_view before = units_;
        const std::u16string_view after = converted_;
        const auto breaks = [](std::u16string_view text) {
            return std::count_if(text.begin(), text.end(), IsBreak);
        };
        if (breaks(before) != breaks(after)) {
            Encode(layout_.encoding, after, out);
            return;
        }
        const auto lineEnd = [](std::u16string_view text, std::size_t pos) {
            while (pos < text.size() && !IsBreak(text[pos++])) {
            }
            return pos;
        };
        std::size_t b = 0;
        std::size_t a = 0;
        std::size_t r = 0;
        while (b < before.size() || a < after.size()) {
            const std::size_t bEnd = lineEnd(before, b);
            const std::size_t aEnd = lineEnd(after, a);
            const std::size_t rEnd = layout_.LineEndAfter(bytes, r);
            if (before.substr(b, bEnd - b) == after.substr(a, aEnd - a)) {
                out.append(bytes.substr(r, rEnd - r));
            } else {
                Encode(layout_.encoding, after.substr(a, aEnd - a), out);
            }
            b = bEnd;
            a = aEnd;
            r = rEnd;
        }
    }

    int conversionId_;
    std::int32_t tabWidth_;
    bool initialOnly_;
    Layout layout_;
    BytePatterns triggers_;
    BytePatterns breaks_;
    bool writes_;
    std::u16string units_;
    std::u16string converted_;
};

// Reads the source and cuts it into pieces that end where no conversion looks across (see
// ConvertStream), each with the display column its first line starts at.
class PieceReader {
  public:
    PieceReader(ByteSource& source, const StreamSettings& settings)
        : source_(source), settings_(settings), layout_(settings.encoding), column_(settings.startColumn) {}

    // Reads the first bytes; takes a byte order mark off them and returns it.
    std::string_view Start(StreamOutcome& outcome) {
        while (!atEnd_ && pending_.size() < 4) {
            ReadMore();
        }
        // Whatever the encoding asked for: UTF-16 read as code page 932 would be corrupted.
        const auto marked = EncodingOfByteOrderMark(ViewOf(pending_));
        if (!marked) {
            return {};
        }
        outcome.encoding = *marked;
        layout_ = Layout(*marked);
        const std::string_view mark = ByteOrderMark(*marked);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(mark.size()));
        offset_ = mark.size();
        return mark;
    }

    // Fills piece with the next piece's bytes, column and offset; false at the end of the input.
    bool Next(Piece& piece) {
        const std::size_t target = std::max<std::size_t>(settings_.chunkUnits, 1) * layout_.unitBytes;
        while (true) {
            if (atEnd_ || pending_.size() >= target) {
                const std::size_t cut = atEnd_ ? pending_.size() : FindCut();
                if (cut > 0) {
                    HandOut(piece, cut);
                    return true;
                }
                if (atEnd_) {
                    return false;
                }
            }
            ReadMore();
        }
    }

  private:
    void ReadMore() {
        const std::size_t used = pending_.size();
        const std::size_t wanted = std::max<std::size_t>(settings_.readSize, 1);
        pending_.resize(used + wanted);
        const std::size_t got = source_.Read(pending_.data() + used, wanted);
        pending_.resize(used + got);
        atEnd_ = got == 0;
    }

    void HandOut(Piece& piece, std::size_t cut) {
        piece.input.swap(pending_);
        pending_.assign(piece.input.begin() + static_cast<std::ptrdiff_t>(cut), piece.input.end());
        piece.input.resize(cut);
        piece.column = column_;
        piece.offset = offset_;
        piece.startsMidLine = midLine_;
        piece.state = Piece::State::Waiting;
        midLine_ = !IsBreak(layout_.UnitAt(ViewOf(piece.input), cut - layout_.unitBytes));
        offset_ += cut;
        column_ = ColumnAtEnd(ViewOf(piece.input), column_);
        scanned_ = 0;
        parsed_ = 0;
    }

    // The last place to cut among the bytes that came since the last search (the ones before
    // held none): after the last line break, else after the last character that is no blank.
    // 0 when there is none.
    std::size_t FindCut() {
        const std::string_view bytes = ViewOf(pending_);
        const std::size_t unit = layout_.unitBytes;
        const std::size_t size = bytes.size() - bytes.size() % unit;
        const std::size_t from = scanned_;
        scanned_ = size;
        for (std::size_t p = size; p > from; p -= unit) {
            if (IsBreak(layout_.UnitAt(bytes, p - unit))) {
                return p;
            }
        }
        // A cut at p needs the unit at p, to know that it starts a character.
        for (std::size_t p = size - unit; p > 0 && p + unit > from; p -= unit) {
            if (CanCutBefore(bytes, p)) {
                return p;
            }
        }
        return layout_.encoding == Encoding::Cp932 ? ParseForCut(bytes) : 0;
    }

    // Whether p starts a character and the character before it is no blank and no high
    // surrogate, told by the few bytes around p alone. Bytes that are invalid there are invalid
    // in the whole stream as well, so a piece that ends with them reports them at the same place.
    bool CanCutBefore(std::string_view bytes, std::size_t p) const {
        const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
        switch (layout_.encoding) {
            case Encoding::Utf8:
                return (at(p) & 0xC0) != 0x80 && at(p - 1) != 0x09 && at(p - 1) != 0x20 &&
                       !(p >= 3 && at(p - 3) == 0xE3 && at(p - 2) == 0x80 && at(p - 1) == 0x80);
            case Encoding::Cp932:
                // A byte below 0x40 is never a trail; 0x81 0x40 may be a full-width space.
                return at(p) < 0x40 && at(p - 1) != 0x09 && at(p - 1) != 0x20 &&
                       !(p >= 2 && at(p - 2) == 0x81 && at(p - 1) == 0x40);
            case Encoding::Utf16Le:
            case Encoding::Utf16Be: {
                const char16_t before = layout_.UnitAt(bytes, p - 2);
                return before != kTab && before != kSpace && before != kFullWidthSpace &&
                       !(before >= 0xD800 && before <= 0xDBFF);
            }
        }
        return false;
    }

    // Code page 932 text without such bytes (all kanji and kana, say): its characters are found
    // from the start of the pending bytes, which is one, where a search from the end cannot tell
    // a lead from a trail.
    std::size_t ParseForCut(std::string_view bytes) {
        std::size_t cut = 0;
        std::size_t i = parsed_;
        while (true) {
            const auto first = static_cast<std::uint8_t>(bytes[i]);
            const bool lead = (first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xFC);
            const std::size_t end = i + (lead ? 2 : 1);
            if (end >= bytes.size()) {
                break;
            }
            const bool blank = lead ? first == 0x81 && static_cast<std::uint8_t>(bytes[i + 1]) == 0x40
                                    : first == 0x09 || first == 0x20;
            if (!blank) {
                cut = end;
            }
            i = end;
        }
        parsed_ = i;
        return cut;
    }

    // The display column after a piece that starts at column start: from its last tab or break
    // on, which start the count afresh.
    std::int32_t ColumnAtEnd(std::string_view bytes, std::int32_t start) const {
        const std::size_t unit = layout_.unitBytes;
        std::size_t p = bytes.size() - bytes.size() % unit;
        while (p > 0) {
            const char16_t last = layout_.UnitAt(bytes, p - unit);
            if (IsBreak(last)) {
                if (p == bytes.size()) {
                    return 0;
                }
                start = 0;
                break;
            }
            if (last == kTab) {
                start = 0;
                break;
            }
            p -= unit;
        }
        if (layout_.encoding == Encoding::Cp932 &&
            MyLibrary::CurrentTextPlatform().WidthIsMultiByteLength()) {
            // Each character of code page 932 is as wide as its code is long.
            const auto tabWidth = static_cast<std::size_t>(settings_.tabWidth);
            return static_cast<std::int32_t>(
                (static_cast<std::size_t>(start) % tabWidth + (bytes.size() - p) % tabWidth) % tabWidth);
        }
        std::u16string tail;
        Decode(layout_.encoding, bytes.substr(p), true, tail);
        return ColumnAfter(tail, start, settings_.tabWidth);
    }

    ByteSource& source_;
    const StreamSettings& settings_;
    Layout layout_;
    InputBytes pending_;
    std::uint64_t offset_ = 0;
    std::int32_t column_;
    std::size_t scanned_ = 0;  // pending bytes searched for a cut without success
    std::size_t parsed_ = 0;   // a character start in pending bytes, found by ParseForCut
    bool atEnd_ = false;
    bool midLine_ = false;  // the last piece handed out ended inside a line
};

// Pieces in input order, converted by the calling thread and by helpers, written in order.
class PieceQueue {
  public:
    PieceQueue(int conversionId, Encoding encoding, bool writes, std::size_t helpers,
               const StreamSettings& settings)
        : conversionId_(conversionId),
          encoding_(encoding),
          writes_(writes),
          helpers_(helpers),
          settings_(settings) {}

    ~PieceQueue() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        waiting_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }
    PieceQueue(const PieceQueue&) = delete;
    PieceQueue& operator=(const PieceQueue&) = delete;

    bool Full() const { return queue_.size() >= kPiecesPerThread * (helpers_ + 1); }
    bool Empty() const { return queue_.empty(); }

    // A piece to fill, with the buffers of one written before.
    std::unique_ptr<Piece> Blank() {
        if (spare_.empty()) {
            return std::make_unique<Piece>();
        }
        std::unique_ptr<Piece> piece = std::move(spare_.back());
        spare_.pop_back();
        return piece;
    }

    void Recycle(std::unique_ptr<Piece> piece) { spare_.push_back(std::move(piece)); }

    void Push(std::unique_ptr<Piece> piece) {
        {
            const std::lock_guard lock(mutex_);
            queue_.push_back(std::move(piece));
        }
        if (queue_.size() > 1 && threads_.size() < helpers_) {
            threads_.emplace_back([this] { Help(); });
        }
        waiting_.notify_one();
    }

    // The first piece, once it is converted; meanwhile the calling thread converts waiting ones.
    std::unique_ptr<Piece> PopConverted(PieceConverter& converter) {
        std::unique_lock lock(mutex_);
        while (queue_.front()->state != Piece::State::Converted) {
            if (Piece* piece = TakeWaiting()) {
                lock.unlock();
                converter.Convert(*piece);
                lock.lock();
                piece->state = Piece::State::Converted;
                continue;
            }
            converted_.wait(lock);
        }
        std::unique_ptr<Piece> piece = std::move(queue_.front());
        queue_.pop_front();
        return piece;
    }

    // Whether the first piece is converted and can be written without waiting.
    bool FrontConverted() {
        const std::lock_guard lock(mutex_);
        return !queue_.empty() && queue_.front()->state == Piece::State::Converted;
    }

  private:
    Piece* TakeWaiting() {
        for (const auto& piece : queue_) {
            if (piece->state == Piece::State::Waiting) {
                piece->state = Piece::State::Converting;
                return piece.get();
            }
        }
        return nullptr;
    }

    void Help() {
        PieceConverter converter(conversionId_, encoding_, writes_, settings_);
        std::unique_lock lock(mutex_);
        while (true) {
            Piece* piece = nullptr;
            waiting_.wait(lock, [&] { return stopping_ || (piece = TakeWaiting()) != nullptr; });
            if (piece == nullptr) {
                return;
            }
            lock.unlock();
            converter.Convert(*piece);
            lock.lock();
            piece->state = Piece::State::Converted;
            converted_.notify_one();
        }
    }

    int conversionId_;
    Encoding encoding_;
    bool writes_;
    std::size_t helpers_;
    const StreamSettings& settings_;
    std::mutex mutex_;
    std::condition_variable waiting_;    // a piece waits to be converted, or the queue stops
    std::condition_variable converted_;  // a piece has been converted
    std::deque<std::unique_ptr<Piece>> queue_;
    std::vector<std::unique_ptr<Piece>> spare_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

}  // namespace

// Each pipeline acts on blanks only, and on no more kinds than these: a text without them comes
// out of it unchanged, so it need not go through it.
TriggerUnits TriggersOf(int conversionId) {
    constexpr char16_t kNone = TriggerUnits::kNone;
    switch (conversionId) {
        case 6:   // tabs to spaces
        case 8:   // a tab to a space
        case 14:  // delete tabs
            return {{kTab, kNone, kNone}};
        case 1:   // two spaces to a full-width space
        case 2:   // a space to a full-width space
        case 7:   // a run of spaces to a tab
        case 12:  // delete spaces
            return {{kSpace, kNone, kNone}};
        case 3:   // a full-width space to two spaces
        case 4:   // a full-width space to a space
        case 13:  // delete full-width spaces
            return {{kFullWidthSpace, kNone, kNone}};
        case 5:  // expand, then compress spaces
            return {{kTab, kSpace, kNone}};
        case 9:  // full-width spaces to two spaces, then expand
            return {{kFullWidthSpace, kTab, kNone}};
        default:
            return {{kSpace, kTab, kFullWidthSpace}};
    }
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

std::int32_t ColumnAfter(std::u16string_view text, std::int32_t startColumn, std::int32_t tabWidth) {
    // A tab ends on a stop, so only the characters after the last one add to it.
    const std::size_t lastTab = text.rfind(kTab);
    const std::u16string_view tail = lastTab == std::u16string_view::npos ? text : text.substr(lastTab + 1);
    const std::size_t start =
        lastTab == std::u16string_view::npos && startColumn > 0 ? static_cast<std::size_t>(startColumn) : 0;
    const std::size_t width = MyLibrary::CurrentTextPlatform().DisplayWidth(tail);
    const auto stop = static_cast<std::size_t>(tabWidth);
    return static_cast<std::int32_t>((start % stop + width % stop) % stop);
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
            std::unique_ptr<Piece> piece = queue.Blank();
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
            sink->Write(piece->output, !changed);
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
