#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CommandLine/Program/ReadAhead.h"
#include "CommandLine/Stream/StreamTypes.h"

// --editorconfig: each file converted as the .editorconfig files above it say. The properties are
// resolved by libeditorconfig (EditorConfigCore.cpp); a build without it (EditorConfigCore_none.cpp,
// the Windows builds) refuses the option.
namespace BlankwiseCli {

// Whether this build reads .editorconfig files.
bool EditorConfigAvailable();

// Name and value of each property of the file at path (absolute or relative to the current folder;
// it need not exist), from the sections of every .editorconfig from its folder up to the first with
// root = true, as libeditorconfig resolves them: names and the standard properties' values in lower
// case, tab_width and indent_size filled in from each other. Throws IoError when a .editorconfig
// does not parse.
std::vector<std::pair<std::string, std::string>> EditorConfigProperties(const std::string& path);

// What --editorconfig makes of one input.
struct EditorConfigPlan {
    // indent_style = space: tabs-to-spaces on the leading blanks; tab: spaces-to-tabs on them; the
    // tab stops every tab_width columns, else indent_size where it is a number, else 8; charset's
    // encoding where -e gave none. Without a valid indent_style nothing: the input is left as it is.
    std::optional<StreamSettings> settings;
    bool utf8MarkRequired = false;  // charset = utf-8-bom: an input without UTF-8's mark is refused
    // Why the input is refused (a charset this tool does not read, such as latin1), or empty.
    std::string refusal;
};

// The plan for the file at path. commandLine holds what applies to every input (widths, threads,
// start column) and the encoding, which a charset replaces unless encodingGiven (-e). Throws IoError
// as EditorConfigProperties.
EditorConfigPlan PlanFromEditorConfig(const std::string& path, const StreamSettings& commandLine,
                                      bool encodingGiven);

// Looks whether the input starts with UTF-8's byte order mark. Reading it gives every byte of the
// input, those read to look at the start included; it reads through source.
class Utf8MarkCheck final : public ByteSource {
  public:
    explicit Utf8MarkCheck(ByteSource& source) : Utf8MarkCheck(source, ReadAhead(source, kUtf8MarkBytes)) {}
    std::size_t Read(char* buffer, std::size_t size) override { return replay_.Read(buffer, size); }
    // Whether the input has the mark, or has no bytes at all (an empty file has no text to mark).
    bool Marked() const { return marked_; }

  private:
    static constexpr std::size_t kUtf8MarkBytes = 3;

    Utf8MarkCheck(ByteSource& source, std::string start);

    bool marked_;
    ReplayingSource replay_;
};

}  // namespace BlankwiseCli
