#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "HostEmulator/DocumentBuffer.h"

namespace HostEmulator {
namespace {

// The lines of a text cut from scratch: what the buffer's index must equal after any edits.
std::vector<DocumentBuffer::Line> CutFromScratch(const std::u16string& text) {
    std::vector<DocumentBuffer::Line> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            const std::size_t breakLength =
                text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
            lines.push_back({start, i, i + breakLength});
            i += breakLength;
            start = i;
        } else {
            ++i;
        }
    }
    lines.push_back({start, text.size(), text.size()});
    return lines;
}

std::u16string RandomUnits(std::mt19937& random, std::size_t maxLength) {
    static constexpr char16_t kAlphabet[] = u"ab\r\n\r\n";
    std::u16string units(random() % (maxLength + 1), u'a');
    for (char16_t& unit : units) {
        unit = kAlphabet[random() % (std::size(kAlphabet) - 1)];
    }
    return units;
}

// Edits mostly moving down the document as a write-back does, with jumps back, growth past the
// gap and breaks made and split (a CR inserted before an LF, an LF after a CR), against a string
// whose lines are cut anew after every edit.
TEST(DocumentBuffer, EditsAgreeWithATextCutFromScratch) {
    std::mt19937 random(4711);
    for (int round = 0; round < 200; ++round) {
        std::u16string expected = RandomUnits(random, 40);
        DocumentBuffer buffer(expected);
        std::size_t offset = 0;
        for (int edit = 0; edit < 40; ++edit) {
            offset = random() % 5 == 0 ? random() % (expected.size() + 2) : offset + random() % 6;
            const std::size_t count = random() % 5;
            const std::u16string units = RandomUnits(random, random() % 64 == 0 ? 5000 : 6);
            buffer.Replace(offset, count, units);
            const std::size_t clamped = std::min(offset, expected.size());
            expected.replace(clamped, std::min(count, expected.size() - clamped), units);

            ASSERT_EQ(buffer.Text(), expected) << round << ", edit " << edit;
            const std::vector<DocumentBuffer::Line> lines = CutFromScratch(expected);
            ASSERT_EQ(buffer.LineCount(), lines.size()) << round << ", edit " << edit;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const DocumentBuffer::Line line = buffer.LineAt(i);
                ASSERT_EQ(line.start, lines[i].start) << round << ", edit " << edit << ", line " << i;
                ASSERT_EQ(line.contentEnd, lines[i].contentEnd)
                    << round << ", edit " << edit << ", line " << i;
                ASSERT_EQ(line.end, lines[i].end) << round << ", edit " << edit << ", line " << i;
                ASSERT_EQ(buffer.LineIndexOf(lines[i].start), i);
                ASSERT_EQ(buffer.LineIndexOf(lines[i].end - (i + 1 < lines.size() ? 1 : 0)), i);
            }
        }
    }
}

}  // namespace
}  // namespace HostEmulator
