#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "CommandLine/Stream/StreamTypes.h"

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

// Whether converting input to output would read back what it writes, which cat refuses too: output
// is a file, input is that same file (device and inode; volume and file index on Windows), and
// input has bytes left to read or output writes past where input reads (appends to it). Streams
// that are not the process's own never are.
bool ReadsItsOwnOutput(ByteSource& input, ByteSink& output);

// A file rewritten in place, opened once. Everything read of it, the unchanged bytes copied into
// its replacement too, is read through that one descriptor (handle), whatever its name comes to
// name meanwhile; and the replacement goes over its name only while the name still names the file
// opened. A symbolic link's final target is the file rewritten. Until the commit, the file is
// untouched; a replacement that is not committed is removed, also when the process is ended by
// SIGINT, SIGTERM, SIGHUP or SIGQUIT.
class InPlaceFile : public ByteSource {
  public:
    // Read reads on from a position of its own, through ReadAt; Mark and ReturnToMark move it back.
    std::size_t Read(char* buffer, std::size_t size) final {
        const std::size_t got = ReadAt(position_, buffer, size);
        position_ += got;
        return got;
    }
    bool Mark() final {
        mark_ = position_;
        return true;
    }
    void ReturnToMark() final { position_ = mark_; }

    // Reads up to size bytes from offset, apart from Read's position; 0 at the end.
    virtual std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
    // Creates the replacement beside the file. Fails when the file is read-only (no write
    // permission, or the read-only attribute), which the rewrite respects even when the user could
    // override it; when it has more than one hard link, as replacing it would split them, its other
    // names keeping the old text; and when its name no longer names it (kReplacedFileRefusal).
    virtual void StartReplacement() = 0;
    virtual void WriteReplacement(std::string_view bytes) = 0;
    // Gives the replacement the file's owner, permissions and extended attributes (its access
    // control list among them; on Windows it keeps what its folder gives it), flushes it and renames
    // it over the file's name, unless the name no longer names the file opened
    // (kReplacedFileRefusal). Fails, the file left as it was, when an attribute cannot be copied.
    virtual void CommitReplacement() = 0;

  private:
    std::uint64_t position_ = 0;
    std::uint64_t mark_ = 0;
};
// Opens a regular file to rewrite; anything else is refused without being waited on (a pipe).
std::unique_ptr<InPlaceFile> OpenInPlaceFile(const std::string& path);

// Why a file with that many hard links is not replaced.
inline std::string HardLinkedFileRefusal(unsigned long links) {
    std::string message = "it has ";
    message += std::to_string(links);
    message +=
        " hard links, which replacing it would split (the other names would keep the old text); left as it "
        "was";
    return message;
}
// Why a file whose name came to name another file during its conversion is not replaced: an
// editor saved over it, or someone planted a symbolic link to a file of theirs in its place.
inline constexpr std::string_view kReplacedFileRefusal =
    "the file was replaced while it was being converted; left as it was";

// For tests: a step that each in-place rewrite runs at its first change, before it creates the
// replacement, and again once it has written the replacement, before it commits it. Empty: none.
enum class RewriteStage : std::uint8_t { Starting, Committing };
inline std::function<void(RewriteStage)>& StepBeforeReplacing() {
    static std::function<void(RewriteStage)> step;
    return step;
}

// The process's standard streams, set to binary where the platform would translate.
StandardStreams& ProcessStreams();

}  // namespace BlankwiseCli
