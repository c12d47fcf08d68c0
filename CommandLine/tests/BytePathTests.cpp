#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "CommandLine/Stream/StreamConversion.h"
#include "CommandLine/tests/TestSupport.h"
#include "MyLibrary/StringUnit/KernelVariants.h"
#include "MyLibrary/StringUnit/UnicodeWidth.h"
#include "MyLibrary/tests/ScopedTextPlatform.h"

namespace BlankwiseCli {
namespace {

using Testing::MemorySink;
using Testing::MemorySource;

// Each list: blanks and every kind of break, the same bytes in each encoding, then its codes.
std::vector<std::string> WithBlanksAndBreaks(std::vector<std::string> codes) {
    std::vector<std::string> tokens = {"a", "Z", " ", " ", " ", "\t", "\t", "\r", "\n", "\r\n"};
    tokens.insert(tokens.end(), codes.begin(), codes.end());
    return tokens;
}

// Pieces of text that exercise the byte path: blanks, every kind of break, characters one and
// two columns wide (and, in UTF-8, characters code page 932 lacks, one of them next to one it
// has), a character whose code starts as the full-width space's does, codes Windows writes
// otherwise, and bytes that are not valid in the encoding. The code page 932 codes lead with
// bytes of both lead ranges (kanji of the second level from E040, IBM's extension up to FC4B),
// with trail bytes 0x40, 0x5C and in either lead range.
const std::vector<std::string> kCp932Tokens =
    WithBlanksAndBreaks({"\x81\x41", "\x81\x40", "\x88\x9f", "\x82\xa0", "\xe0\x40", "\xe0\x9f", "\xe9\x5c",
                         "\xe0\xfc", "\xea\xa4", "\xfa\x5c", "\xfb\xfc", "\xfc\x4b", "\xb1",     "\x80",
                         "\xa0",     "\xfd",     "\xed\x40", "\x87\x90", "\x81",     "\x85\x40", "\xf0\x40"});
// EUC-JP: row-cells whose bytes hold the full-width space's (A1A1 next to B0A1, A1B0), half-width
// katakana, second-plane codes of a character code page 932 lacks (one column: 8FB0A1) and of an
// IBM extension it has (two: 8FF3F3), and the user-defined rows.
const std::vector<std::string> kEucJpTokens = WithBlanksAndBreaks(
    {"\xa1\xa1", "\xb0\xa1", "\xa1\xb0", "\xa4\xa2", "\x8e\xb1", "\x8e\xdf", "\x8f\xb0\xa1", "\x8f\xf3\xf3",
     "\xf5\xa1", "\xad\xa1", "\xad\xf0", "\x8f\xa2\xb7", "\x8e\xe0", "\xa9\xa1", "\x80"});
// The last tokens of each list are invalid; before them, the codes written otherwise (code page
// 932's as Windows writes them, EUC-JP's row 13 and second-plane copies), which send a piece
// through the pipeline instead of the byte path.
constexpr std::size_t kInvalidTokens = 3;
constexpr std::size_t kRecodedTokens = 2;
const std::vector<std::string> kUtf8Tokens =
    WithBlanksAndBreaks({"\xe3\x80\x80", "\xe3\x80\x81", "\xe6\xbc\xa2", "\xc3\xa9", "\xce\xb1",
                         "\xed\x95\x9c", "\xf0\xa0\xae\xb7", "\xe2\x82\xac", "\xef\xbd\xb1", "\xcc\x81",
                         "\xc2\xa7", "\xe3\x82\x93", "\xe3\x82\x94", "\xff", "\x80", "\xe3\x80"});

StreamOutcome ConvertAll(const std::string& text, StreamSettings settings, bool bytePaths,
                         std::string& output) {
    settings.bytePaths = bytePaths;
    MemorySource source(text, {97, 4096});
    MemorySink sink;
    const StreamOutcome outcome = ConvertStream(source, &sink, settings);
    output = sink.Bytes();
    return outcome;
}

// The byte path against the shared pipeline on random code page 932, UTF-8 and EUC-JP text: the
// same bytes, the same change, the same error at the same offset (and, before it, a prefix of the
// whole text's conversion). UTF-8 is measured with code page 932 widths and with Unicode widths in
// both ambiguous widths. Every kernel variant the processor runs converts each text, the one taken
// by default last.
TEST(BytePath, AgreesWithThePipelineOnRandomText) {
    const std::span<const MyLibrary::KernelVariant> variants = MyLibrary::AvailableKernelVariants();
    std::mt19937 random(15);
    constexpr MyLibrary::Encoding kEncodings[] = {MyLibrary::Encoding::Cp932, MyLibrary::Encoding::Utf8,
                                                  MyLibrary::Encoding::EucJp};
    for (int round = 0; round < 4500; ++round) {
        const MyLibrary::Encoding encoding = kEncodings[round % 3];
        const bool utf8 = encoding == MyLibrary::Encoding::Utf8;
        const unsigned unicodeAmbiguous = utf8 ? static_cast<unsigned>(round / 3 % 3) : 0;
        std::optional<MyLibrary::ScopedTextPlatform> widths;
        if (unicodeAmbiguous != 0) {
            widths.emplace(MyLibrary::UnicodeWidthTextPlatform(unicodeAmbiguous));
        }
        const std::vector<std::string>& tokens = utf8                                     ? kUtf8Tokens
                                                 : encoding == MyLibrary::Encoding::Cp932 ? kCp932Tokens
                                                                                          : kEucJpTokens;
        // Most texts are valid and take the byte path throughout.
        const std::size_t recoded = utf8 ? 0 : kRecodedTokens;
        const std::size_t usable = round % 5 == 0   ? tokens.size()
                                   : round % 5 == 1 ? tokens.size() - kInvalidTokens
                                                    : tokens.size() - kInvalidTokens - recoded;
        std::string text;
        const std::size_t length = random() % 400;
        for (std::size_t k = 0; k < length; ++k) {
            text += tokens[random() % usable];
        }
        StreamSettings settings;
        settings.encoding = encoding;
        settings.conversionId = round % 4 < 2 ? 5 : 6;
        settings.tabStops = Blankwise::TabStops::Every(static_cast<std::int32_t>(1 + random() % 9));
        settings.startColumn = static_cast<std::int32_t>(random() % 3 == 0 ? random() % 20 : 0);
        settings.initialOnly = random() % 3 == 0;
        settings.chunkUnits = 16 + random() % 300;
        settings.readSize = 64;
        settings.helperThreads = random() % 2;
        std::string expected;
        const StreamOutcome reference = ConvertAll(text, settings, false, expected);
        std::string whole;
        if (reference.invalid) {
            ConvertAll(text.substr(0, static_cast<std::size_t>(reference.errorOffset)), settings, false,
                       whole);
        }
        SCOPED_TRACE(testing::Message()
                     << "round " << round << " unicode widths " << unicodeAmbiguous << " id "
                     << settings.conversionId << " -t " << settings.tabStops.EveryWidth() << " start "
                     << settings.startColumn << (settings.initialOnly ? " --initial" : "") << " text "
                     << testing::PrintToString(text));
        for (const MyLibrary::KernelVariant variant : variants) {
            ASSERT_TRUE(MyLibrary::ForceKernelVariant(variant));
            SCOPED_TRACE(testing::Message() << "kernel variant " << static_cast<int>(variant));
            std::string actual;
            const StreamOutcome bytes = ConvertAll(text, settings, true, actual);
            ASSERT_EQ(bytes.invalid, reference.invalid);
            ASSERT_EQ(bytes.errorOffset, reference.errorOffset);
            if (reference.invalid) {
                ASSERT_EQ(whole.substr(0, actual.size()), actual);
            } else {
                ASSERT_EQ(bytes.changed, reference.changed);
                ASSERT_EQ(actual, expected);
            }
        }
    }
}

}  // namespace
}  // namespace BlankwiseCli
