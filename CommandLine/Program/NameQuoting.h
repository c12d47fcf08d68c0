#pragma once

#include <string>
#include <string_view>

namespace BlankwiseCli {

// Where a file name is shown: a --check listing, or a message ("blankwise: NAME: ..."), in which a
// colon would seem to end the name.
enum class NameUse : bool { Listing, Message };

// A file name (UTF-8 bytes) as coreutils shows it in its shell-escape quoting style: as it is when
// no shell would read it otherwise, else in single quotes, a control character or a byte that is
// not UTF-8 written $'\n' or $'\377' between them ("it's", 'a b', 'new'$'\n''line'). A message
// also quotes a name with a colon. On Windows, where '\' separates folders and ':' follows a drive
// letter, neither asks for quotes.
std::string QuotedName(std::string_view name, NameUse use);

// A path in a diff header as git writes it: in double quotes with C escapes (\t, \n, \", \\, octal
// for other control characters and for bytes that are not UTF-8) when it holds any of those,
// as it is otherwise; UTF-8 characters stay as they are (git's core.quotePath off). On Windows,
// backslashes alone, the folder separators, ask for no quotes.
std::string CQuotedPath(std::string_view path);

}  // namespace BlankwiseCli
