#include "CommandLine/Program/NameQuoting.h"

#include <gtest/gtest.h>

namespace BlankwiseCli {
namespace {

// Names as `ls --quoting-style=shell-escape` shows them (coreutils 9.1, a UTF-8 locale), and as a
// message shows them, where a colon asks for quotes too.
TEST(NameQuoting, NamesAreQuotedAsCoreutilsQuotesThem) {
    const struct {
        std::string_view name;
        std::string_view listed;
        std::string_view inMessage;
    } rows[] = {
        {"plain.txt", "plain.txt", "plain.txt"},
        {"-dash_%+,.@]", "-dash_%+,.@]", "-dash_%+,.@]"},
        {"\xE7\xA9\xBA\xE7\x99\xBD.txt", "\xE7\xA9\xBA\xE7\x99\xBD.txt", "\xE7\xA9\xBA\xE7\x99\xBD.txt"},
        {"", "''", "''"},
        {"name with space", "'name with space'", "'name with space'"},
        {"it's", "\"it's\"", "\"it's\""},
        {"it's!", "'it'\\''s!'", "'it'\\''s!'"},
        {"a\"b", "'a\"b'", "'a\"b'"},
        {"a*?", "'a*?'", "'a*?'"},
        {"#x", "'#x'", "'#x'"},
        {"x#~{", "x#~{", "x#~{"},
        {"~x", "'~x'", "'~x'"},
        {"{", "'{'", "'{'"},
        {"new\nline", "'new'$'\\n''line'", "'new'$'\\n''line'"},
        {"tab\there", "'tab'$'\\t''here'", "'tab'$'\\t''here'"},
        {"\x1B[31mred", "''$'\\033''[31mred'", "''$'\\033''[31mred'"},
        {"\x7F", "''$'\\177'", "''$'\\177'"},
        {"a\xFF", "'a'$'\\377'", "'a'$'\\377'"},
        {"a\xE7\xA9", "'a'$'\\347\\251'", "'a'$'\\347\\251'"},             // cut short
        {"\xC2\x85", "''$'\\302\\205'", "''$'\\302\\205'"},                // U+0085, a control
        {"\xE2\x80\xA8", "''$'\\342\\200\\250'", "''$'\\342\\200\\250'"},  // U+2028
#if !defined(_WIN32)
        {"a:b", "a:b", "'a:b'"},
        {"a\\b", "'a\\b'", "'a\\b'"},
#else
        {"C:\\a\\b", "C:\\a\\b", "C:\\a\\b"},
#endif
    };
    for (const auto& row : rows) {
        EXPECT_EQ(QuotedName(row.name, NameUse::Listing), row.listed) << row.name;
        EXPECT_EQ(QuotedName(row.name, NameUse::Message), row.inMessage) << row.name;
    }
}

}  // namespace
}  // namespace BlankwiseCli
