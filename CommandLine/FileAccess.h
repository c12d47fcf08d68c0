#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include "CommandLine/StreamConversion.h"

namespace BlankwiseCli {

// A failure of the file system or of a standard stream, with the system's own words.
class IoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Messages for people: UTF-8 text, shown as the platform shows text (a Windows console gets it
// through its wide-character interface, a redirected Windows stream in the ANSI code page).
class TextWriter {
  public:
    virtual ~TextWriter() = default;
    virtual void Write(std::string_view utf8) = 0;
};

// The process's standard streams: binary input and output for the converted bytes, and the two
// text streams for listings and messages.
struct StandardStreams {
    ByteSource& input;
    ByteSink& output;
    TextWriter& messages;  // standard output
    TextWriter& errors;    // standard error
};

// File names are UTF-8 here; the Windows build converts them at its edge.
std::unique_ptr<ByteSource> OpenInputFile(const std::string& path);

// The file an in-place rewrite replaces: the final target of a symbolic link. Fails when the
// file does not exist, is no regular file, or is read-only (no write permission, or the read-only
// attribute), which the rewrite respects even when the user could override it, and when it has
// more than one hard link: replacing it would split them, its other names keeping the old text.
std::string ReplaceableTarget(const std::string& path);
// Why a file with that many hard links is not replaced.
inline std::string HardLinkedFileRefusal(unsigned long links) {
    std::string message = "it has ";
    message += std::to_string(links);
    message +=
        " hard links, which replacing it would split (the other names would keep the old text); left as it "
        "was";
    return message;
}

// Fails unless path names a regular file (following symbolic links): checked before an in-place
// rewrite opens it, so that a pipe or a device is refused without being read.
void RequireRegularFile(const std::string& path);

// A new file beside a target, written and then renamed over the target in one step. Until then,
// the target is untouched; a temporary file that is not committed is removed, also when the
// process is ended by SIGINT, SIGTERM, SIGHUP or SIGQUIT. Its name fits wherever the target's does.
class ReplacementFile {
  public:
    virtual ~ReplacementFile() = default;
    virtual void Write(std::string_view bytes) = 0;
    // Flushes the file to disk, gives it the target's permissions and renames it over the target.
    virtual void Commit() = 0;
};
std::unique_ptr<ReplacementFile> CreateReplacementFile(const std::string& target);

// Starts a thread other than the main one that never takes the signals that end the process (and
// remove the temporary file): they go to the main thread only. It holds them back while it names a
// temporary file; one taken by another thread in that moment would leave the file behind. The
// thread has them blocked from its start, not from its first statement, which may come after the
// main thread has named the file.
std::thread StartThreadWithoutEndingSignals(std::function<void()> body);

// The process's standard streams, set to binary where the platform would translate.
StandardStreams& ProcessStreams();

}  // namespace BlankwiseCli
