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

// Pieces of text that exercise the byte path: blanks, every kind of break, characters one and
// two columns wide (and, in UTF-8, characters code page 932 lacks, one of them next to one it
// has), a character whose code starts as the full-width space's does, codes Windows writes
// otherwise, and bytes that are not valid in the encoding. The code page 932 codes lead with
// bytes of both lead ranges (kanji of the second level from E040, IBM's extension up to FC4B),
// with trail bytes 0x40, 0x5C and in either lead range.
const std::vector<std::string> kCp932Tokens = {
    "a",        "Z",        " ",        " ",        " ",        "\t",       "\t",       "\r",
    "\x81\x41", "\n",       "\r\n",     "\x81\x40", "\x88\x9f", "\x82\xa0", "\xe0\x40", "\xe0\x9f",
    "\xe9\x5c", "\xe0\xfc", "\xea\xa4", "\xfa\x5c", "\xfb\xfc", "\xfc\x4b", "\xb1",     "\x80",
    "\xa0",     "\xfd",     "\xed\x40", "\x87\x90", "\x81",     "\x85\x40", "\xf0\x40"};
// The last tokens of each list are invalid; before them, the code page 932 codes that Windows
// writes otherwise, which send a piece through the pipeline instead of the byte path.
constexpr std::size_t kInvalidTokens = 3;
constexpr std::size_t kCp932RecodedTokens = 2;
const std::vector<std::string> kUtf8Tokens = {"a",
                                              "Z",
                                              " ",
                                              " ",
                                              " ",
                                              "\t",
                                              "\t",
                                              "\r",
                                              "\n",
                                              "\r\n",
                                              "\xe3\x80\x80",
                                              "\xe3\x80\x81",
                                              "\xe6\xbc\xa2",
                                              "\xc3\xa9",
                                              "\xce\xb1",
                                              "\xed\x95\x9c",
                                              "\xf0\xa0\xae\xb7",
                                              "\xe2\x82\xac",
                                              "\xef\xbd\xb1",
                                              "\xcc\x81",
                                              "\xc2\xa7",
                                              "\xe3\x82\x93",
                                              "\xe3\x82\x94",
                                              "\xff",
                                              "\x80",
                                              "\xe3\x80"};

StreamOutcome ConvertAll(const std::string& text, StreamSettings settings, bool bytePaths,
                         std::string& output) {
    settings.bytePaths = bytePaths;
    MemorySource source(text, {97, 4096});
    MemorySink sink;
    const StreamOutcome outcome = ConvertStream(source, &sink, settings);
    output = sink.Bytes();
    return outcome;
}

// The byte path against the shared pipeline on random text: the same bytes, the same change, the
// same error at the same offset (and, before it, a prefix of the whole text's conversion). UTF-8
// is measured with code page 932 widths and with Unicode widths in both ambiguous widths. Every
// kernel variant the processor runs converts each text, the one taken by default last.
TEST(BytePath, AgreesWithThePipelineOnRandomText) {
    const std::span<const MyLibrary::KernelVariant> variants = MyLibrary::AvailableKernelVariants();
    std::mt19937 random(15);
    for (int round = 0; round < 3000; ++round) {
        const bool cp932 = round % 2 == 0;
        const unsigned unicodeAmbiguous = cp932 ? 0 : static_cast<unsigned>(round / 2 % 3);
        std::optional<MyLibrary::ScopedTextPlatform> widths;
        if (unicodeAmbiguous != 0) {
            widths.emplace(MyLibrary::UnicodeWidthTextPlatform(unicodeAmbiguous));
        }
        const std::vector<std::string>& tokens = cp932 ? kCp932Tokens : kUtf8Tokens;
        // Most texts are valid and take the byte path throughout.
        const std::size_t recoded = cp932 ? kCp932RecodedTokens : 0;
        const std::size_t usable = round % 5 == 0   ? tokens.size()
                                   : round % 5 == 1 ? tokens.size() - kInvalidTokens
                                                    : tokens.size() - kInvalidTokens - recoded;
        std::string text;
        const std::size_t length = random() % 400;
        for (std::size_t k = 0; k < length; ++k) {
            text += tokens[random() % usable];
        }
        StreamSettings settings;
        settings.encoding = cp932 ? MyLibrary::Encoding::Cp932 : MyLibrary::Encoding::Utf8;
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
