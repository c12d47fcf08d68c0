#include "CommandLine/Program/NameQuoting.h"

#include <cstdint>

#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/Encoding/Utf8Facts.h"

namespace BlankwiseCli {
namespace {

#if defined(_WIN32)
constexpr bool kWindowsNames = true;
#else
constexpr bool kWindowsNames = false;
#endif

// One character of a name: its bytes, or one byte that starts no valid UTF-8 character.
struct NameCharacter {
    std::size_t length;
    bool valid;
    char32_t codePoint;
};

NameCharacter CharacterAt(std::string_view name, std::size_t i) {
    const std::size_t length = MyLibrary::Utf8SequenceLength(static_cast<std::uint8_t>(name[i]));
    const std::string_view bytes = name.substr(i, length);
    const MyLibrary::DecodeResult checked = MyLibrary::Validate(MyLibrary::Encoding::Utf8, bytes, true);
    if (length == 0 || bytes.size() != length || checked.invalid || checked.consumed != length) {
        return {1, false, 0};
    }
    return {length, true,
            MyLibrary::Utf8CodePointOf(reinterpret_cast<const std::uint8_t*>(bytes.data()), length)};
}

// What a terminal shows as a character of its own: not a control character, a line or paragraph
// separator, or a noncharacter.
bool IsPrintable(char32_t c) {
    return c >= 0x0020 && !(c >= 0x007F && c < 0x00A0) && c != 0x2028 && c != 0x2029 &&
           !(c >= 0xFDD0 && c <= 0xFDEF) && (c & 0xFFFE) != 0xFFFE;
}

// The letter of a control character's C escape (\n), or 0 for those written in octal.
char EscapeLetter(char c) {
    constexpr std::string_view kLetters = "abtnvfr";  // 0x07 to 0x0D
    return c >= 0x07 && c <= 0x0D ? kLetters[static_cast<std::size_t>(c - 0x07)] : '\0';
}

void AppendEscaped(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        out += '\\';
        if (const char letter = EscapeLetter(c)) {
            out += letter;
        } else {
            const auto byte = static_cast<std::uint8_t>(c);
            out += static_cast<char>('0' + (byte >> 6));
            out += static_cast<char>('0' + ((byte >> 3) & 7));
            out += static_cast<char>('0' + (byte & 7));
        }
    }
}

// How one character of a name bears on its quoting in coreutils' shell-escape style.
struct ShellClass {
    bool needsQuotes;          // a shell would read the name otherwise, or the character would be escaped
    bool escaped;              // written as $'\n' or $'\ooo'
    bool plainInDoubleQuotes;  // fits the "it's" form, which coreutils takes for a name whose
                               // only trouble is an apostrophe
};

ShellClass ClassOf(std::string_view name, std::size_t i, const NameCharacter& character, NameUse use) {
    if (!character.valid || !IsPrintable(character.codePoint)) {
        return {true, true, false};
    }
    if (character.length > 1) {
        return {false, false, true};
    }
    const char c = name[i];
    constexpr std::string_view kShellSpecials = "!\"$&()*;<=>?[^`|";
    if (c == ' ' || c == '\'') {
        return {true, false, true};
    }
    if (kShellSpecials.find(c) != std::string_view::npos) {
        return {true, false, false};
    }
    // Braces are special alone, a comment sign and a tilde at the start; elsewhere they are
    // plain, but coreutils writes no "it's" form for a name that holds them.
    if (c == '{' || c == '}') {
        return {name.size() == 1, false, name.size() == 1};
    }
    if (c == '#' || c == '~') {
        return {i == 0, false, i == 0};
    }
    if (c == '\\') {
        return {!kWindowsNames, false, kWindowsNames};
    }
    if (c == ':') {
        return {use == NameUse::Message && !kWindowsNames, false, true};
    }
    return {false, false, true};
}

}  // namespace

std::string QuotedName(std::string_view name, NameUse use) {
    bool needsQuotes = name.empty();
    bool fitsDoubleQuotes = true;
    bool hasApostrophe = false;
    for (std::size_t i = 0; i < name.size();) {
        const NameCharacter character = CharacterAt(name, i);
        const ShellClass shell = ClassOf(name, i, character, use);
        needsQuotes = needsQuotes || shell.needsQuotes;
        fitsDoubleQuotes = fitsDoubleQuotes && shell.plainInDoubleQuotes;
        hasApostrophe = hasApostrophe || name[i] == '\'';
        i += character.length;
    }
    if (!needsQuotes) {
        return std::string(name);
    }
    if (hasApostrophe && fitsDoubleQuotes) {
        std::string quoted = "\"";
        quoted.append(name).append(1, '"');
        return quoted;
    }
    // Single quotes, left for $'...' around each stretch of escaped characters.
    std::string quoted = "'";
    bool inEscapes = false;
    for (std::size_t i = 0; i < name.size();) {
        const NameCharacter character = CharacterAt(name, i);
        const std::string_view bytes = name.substr(i, character.length);
        if (ClassOf(name, i, character, use).escaped) {
            if (!inEscapes) {
                quoted += "'$'";
                inEscapes = true;
            }
            AppendEscaped(quoted, bytes);
        } else if (bytes == "'") {
            quoted += "'\\''";
            inEscapes = false;
        } else {
            if (inEscapes) {
                quoted += "''";
                inEscapes = false;
            }
            quoted += bytes;
        }
        i += character.length;
    }
    quoted += '\'';
    return quoted;
}

std::string CQuotedPath(std::string_view path) {
    const auto escaped = [](std::string_view text, std::size_t i, const NameCharacter& character) {
        const auto c = static_cast<std::uint8_t>(text[i]);
        return !character.valid ||
               (character.length == 1 && (c < 0x20 || c == 0x7F || c == '"' || c == '\\'));
    };
    bool needsQuotes = false;
    for (std::size_t i = 0; i < path.size();) {
        const NameCharacter character = CharacterAt(path, i);
        // A Windows path's backslashes are its separators: they alone need no quotes.
        needsQuotes = needsQuotes || (escaped(path, i, character) && !(kWindowsNames && path[i] == '\\'));
        i += character.length;
    }
    if (!needsQuotes) {
        return std::string(path);
    }
    std::string quoted = "\"";
    for (std::size_t i = 0; i < path.size();) {
        const NameCharacter character = CharacterAt(path, i);
        if (!escaped(path, i, character)) {
            quoted += path.substr(i, character.length);
        } else if (path[i] == '"' || path[i] == '\\') {
            quoted += '\\';
            quoted += path[i];
        } else {
            AppendEscaped(quoted, path.substr(i, 1));
        }
        i += character.length;
    }
    quoted += '"';
    return quoted;
}

}  // namespace BlankwiseCli
