#include "CommandLine/CommandLineOptions.h"

namespace BlankwiseCli {
namespace {

constexpr std::string_view kUsage =
    "Usage: blankwise [OPTIONS] [FILE...]\n"
    "  -c, --conversion NAME|ID  the conversion to run, 1-15 or its name in any letter case (see\n"
    "                            --list)\n"
    "      --list                list the conversions: id, name and menu caption\n"
    "      --start-column N      convert as if the text began at display column N (default 0)\n"
    "  -t, --tabs N|LIST         tab stops every N columns (default 4), or at the columns of a\n"
    "                            LIST (below), for the conversions that expand or compress tabs:\n"
    "                            5, 6, 9, 10, 11\n"
    "      --initial             convert only the blanks (space, U+3000, tab) that start each line\n"
    "      --widths cp932|unicode  display widths: as code page 932 measures them (default), or\n"
    "                            by Unicode East Asian Width, for text outside code page 932\n"
    "      --ambiguous-width 1|2  with --widths unicode: the columns of an ambiguous character\n"
    "                            (East Asian Width A, such as the Greek letters), default 1\n"
    "  -e, --encoding ENC        utf-8 (default), utf-16le, utf-16be or cp932 (also utf8, sjis,\n"
    "                            shift_jis, shift-jis, windows-31j, ms932; any letter case)\n"
    "  -i, --in-place            rewrite each FILE instead of writing to standard output\n"
    "      --check               write nothing; list the files that would change, exit 1 if any\n"
    "      --diff                write a unified diff of what would change, change nothing;\n"
    "                            with --check exit 1 when something would change\n"
    "      --label NAME          with --diff: NAME for the next input in the diff's header, once\n"
    "                            for each input, in order (as diff --label)\n"
    "      --threads N           convert on N threads, 1-4 (default: one a processor, up to 4)\n"
    "  -h, --help                show this help with examples\n"
    "      --version             show the version\n";

constexpr std::string_view kDescription =
    "\n"
    "Converts half-width spaces, full-width spaces (U+3000) and tabs with 4-column stops (or\n"
    "--tabs N) in each FILE, or standard input when there is none or for -, and writes the result\n"
    "to standard output. With --initial only the blanks that start a line are converted, the\n"
    "rest of the line kept: indentation converts, aligned comments and string literals stay.\n"
    "Line breaks (LF, CR LF, CR) are kept; no conversion crosses one, and the text is converted as\n"
    "it streams, line by line. --start-column applies to the first line of each input.\n"
    "\n"
    "Display widths are by default those of code page 932 (the plug-in's), whatever the encoding: a\n"
    "character is as wide as its code page 932 form is long, two columns for a full-width one, and\n"
    "one for each UTF-16 unit of a character code page 932 lacks. --widths unicode measures each\n"
    "code point as editors and terminals show it (Unicode 14.0): two columns for East Asian Width W\n"
    "and F (kanji, kana, Hangul, emoji, and the ideographs beyond U+FFFF such as U+20BB7), none for\n"
    "combining marks and format characters (Mn, Me, Cf but U+00AD) and U+1160-U+11FF, one or\n"
    "--ambiguous-width for East Asian Width A, one for the rest. They differ on Korean, say, which\n"
    "code page 932 lacks: each syllable counts one column there, two on screen. For the two\n"
    "syllables U+D55C U+AD6D (UTF-8 below) and a tab:\n"
    "  printf '\\355\\225\\234\\352\\265\\255\\tx\\n' | blankwise -c6                  # 2 spaces\n"
    "  printf '\\355\\225\\234\\352\\265\\255\\tx\\n' | blankwise -c6 --widths unicode  # 4 spaces\n"
    "\n"
    "A byte order mark at the start of a UTF-8 or UTF-16 input selects that encoding, whatever\n"
    "--encoding says, and is kept.\n"
    "cp932 is read as Windows reads code page 932. A line the conversion leaves as it is keeps its\n"
    "bytes; a changed line is written with the codes Windows writes, so a character that has two\n"
    "codes comes out as the one Windows prefers: an NEC-selected IBM extension such as 0xED40\n"
    "becomes 0xFA5C, a row 13 copy such as 0x8790 becomes 0x81E0.\n"
    "--in-place writes a temporary file beside each FILE and renames it over the FILE, keeping its\n"
    "encoding, byte order mark and line breaks; a FILE that would not change is not touched, a\n"
    "read-only FILE that would is an error, and a failure or a signal (INT, TERM, HUP) leaves the\n"
    "FILE as it was, without the temporary file. A symbolic link stays a link: the file it points\n"
    "to is rewritten. A FILE with more than one hard link that would change is refused (an error,\n"
    "the FILE left as it was): replacing it would leave its other names with the old text.\n"
    "Options are read by getopt_long: -c6, -ic6, -c 6, --conversion=6 and --conv=6 are the same (a\n"
    "long option may be cut short while it stays unambiguous), and -- ends the options.\n"
    "\n"
    "--tabs takes a LIST as GNU expand and unexpand do: stops at the columns given, ascending and\n"
    "separated by commas or blanks (-t 4,8,12 or -t '4 8 12'). Past the last stop a tab becomes\n"
    "one space (spaces-to-tabs keeps it a tab) and spaces stay spaces. A last entry /N adds a stop\n"
    "at every multiple of N after the last one (-t 2,/8: 2, 8, 16, ...), +N one every N columns\n"
    "counted from it (-t 2,+8: 2, 10, 18, ...). Several -t add up to one list. Each stop and N is\n"
    "from 1 to 100000000 (/0 and +0 are refused too). expand's obsolete form -N1,N2 is not taken:\n"
    "write -t N1,N2.\n"
    "\n"
    "--diff writes a unified diff (--- a/FILE, +++ b/FILE, three lines of context, the FILE's own\n"
    "bytes) that patch -p1 applies, and changes nothing. --label NAME, once for each input in\n"
    "order, writes NAME in the header instead of the FILE's name: for standard input, or for a\n"
    "FILE outside the tree the patch is for.\n"
    "As a pre-commit hook (.pre-commit-hooks.yaml): ids blankwise (--in-place) and blankwise-check,\n"
    "the conversion given in args.\n"
    "\n"
    "Exit status: 0 when done, 1 when --check found a FILE that would change, 2 on an error\n"
    "(bytes invalid in the encoding, unreadable or unwritable files, a wrong command line).\n"
    "\n"
    "Examples:\n"
    "  blankwise --conversion tabs-to-spaces notes.txt > notes-spaced.txt\n"
    "  blankwise -c spaces-to-tabs --encoding cp932 --in-place *.txt\n"
    "  blankwise --check -c tabs-to-spaces src/*.cpp     # fails while a tab is left\n"
    "  printf 'ab\\tc\\n' | blankwise -c 6 --start-column 2\n"
    "  blankwise -c tabs-to-spaces -t 8 --initial main.c   # as expand -i -t 8: indentation only\n"
    "  blankwise -ic5 -t2 --initial *.py                     # re-indent with a tab per 2 columns\n"
    "  blankwise -c tabs-to-spaces -t 4,/8 table.txt         # a stop at 4, then every 8 columns\n"
    "  blankwise -c6 --diff --label src/a.c < old/a.c        # a patch for src/a.c from elsewhere\n"
    "  blankwise -c6 --diff src/*.c > tabs.diff              # review, then: patch -p1 < tabs.diff\n"
    "  blankwise --diff --check -c delete-fullwidth-spaces *.txt   # show and fail while any is left\n"
    "  blankwise --list\n";

}  // namespace

std::string_view UsageText() {
    return kUsage;
}

std::string HelpText() {
    return std::string(kUsage) + std::string(kDescription);
}

}  // namespace BlankwiseCli
