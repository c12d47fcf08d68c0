// The user guide in README.md shows an example for each conversion and for selections that start
// mid-line. These tests read the guide and run every example, so that it cannot drift from what the
// plug-in does.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "Blankwise/ConversionPipelines.h"
#include "MyLibrary/Encoding/TextCodec.h"

namespace OnScreen {
namespace {

// "→" a tab, "·" U+0020, "□" U+3000, as the guide writes them.
std::u16string FromVisible(const std::string& utf8) {
    std::u16string text = MyLibrary::Utf8ToUtf16Lenient(utf8);
    for (char16_t& unit : text) {
        unit = unit == u'→' ? u'\t' : unit == u'·' ? u' ' : unit == u'□' ? u'\u3000' : unit;
    }
    return text;
}

std::vector<std::string> GuideLines() {
    std::ifstream file(BLANKWISE_README_PATH, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// | 6 | "caption" | gloss | `before` | `after` |
const std::regex kEntryRow(R"re(^\| (\d+) \| "([^"]+)" \| [^|]+ \| `([^`]*)` \| `([^`]*)` \|$)re");
// | `text before the selection` | 6 | `selected` | `after` |
const std::regex kMidLineRow(R"(^\| `([^`]*)` \| (\d+) \| `([^`]*)` \| `([^`]*)` \|$)");

TEST(GuideExamples, EveryEntryHasAnExampleThatTheConversionBearsOut) {
    const std::vector<std::string> lines = GuideLines();
    ASSERT_FALSE(lines.empty()) << "cannot read " << BLANKWISE_README_PATH;
    std::map<int, int> examples;
    for (const std::string& line : lines) {
        std::smatch match;
        if (!std::regex_match(line, match, kEntryRow)) {
            continue;
        }
        const int id = std::stoi(match[1]);
        ASSERT_GE(id, Blankwise::kFirstConversionId) << line;
        ASSERT_LE(id, Blankwise::kLastConversionId) << line;
        ++examples[id];
        EXPECT_EQ(MyLibrary::Utf8ToUtf16Lenient(match[2].str()),
                  Blankwise::Conversions()[static_cast<std::size_t>(id - 1)].caption)
            << "the guide's caption differs from the menu's: " << line;
        const std::u16string before = FromVisible(match[3]);
        const std::u16string after = FromVisible(match[4]);
        EXPECT_NE(before, after) << "an example that shows no change: " << line;
        EXPECT_EQ(Blankwise::ConvertSelection(id, before, 0), after) << line;
    }
    for (int id = Blankwise::kFirstConversionId; id <= Blankwise::kLastConversionId; ++id) {
        EXPECT_EQ(examples[id], 1) << "conversion " << id << " should have one example in the guide";
    }
}

TEST(GuideExamples, MidLineSelectionsAreAlignedAsTheGuideShows) {
    int rows = 0;
    for (const std::string& line : GuideLines()) {
        std::smatch match;
        if (!std::regex_match(line, match, kMidLineRow)) {
            continue;
        }
        ++rows;
        const std::u16string prefix = FromVisible(match[1]);
        const int id = std::stoi(match[2]);
        EXPECT_EQ(Blankwise::ConvertSelection(id, FromVisible(match[3]), Blankwise::PrefixWidth(prefix)),
                  FromVisible(match[4]))
            << line;
    }
    EXPECT_GE(rows, 3) << "the guide should show selections that start mid-line";
}

}  // namespace
}  // namespace OnScreen
