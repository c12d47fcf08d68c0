#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine/Program/Spool.h"
#include "CommandLine/Stream/StreamTypes.h"

namespace BlankwiseCli {

// Passes on what a source reads and keeps a copy, for the diff to take the input's lines from.
class RecordingSource final : public ByteSource {
  public:
    RecordingSource(ByteSource& source, std::string& recorded) : source_(source), recorded_(recorded) {}
    std::size_t Read(char* buffer, std::size_t size) override;

  private:
    ByteSource& source_;
    std::string& recorded_;
};

// Takes a conversion's output and makes a unified diff of it against the input, as diff -u writes
// it (three lines of context, the bytes as they are, "\ No newline at end of file" after a last
// line without one). Lines are cut after each 0x0A byte, as diff and patch cut them: no conversion
// adds, removes or moves one (the blanks it writes hold none, in any encoding), so the output's
// lines pair with the input's in order, but for a last line without a line break that the
// conversion empties, which is gone. The diff is set aside (beyond a megabyte in a temporary
// file) and written by Finish, once the whole input has converted.
class UnifiedDiffSink final : public ByteSink {
  public:
    // name: the file's name as given, for the header's a/NAME and b/NAME. recordedInput: the
    // input's bytes as a RecordingSource keeps them, read ahead of the output.
    UnifiedDiffSink(std::string_view name, std::string& recordedInput);
    void Write(std::string_view bytes, bool sameAsInput) override;
    // After the last output of an input that converted whole: the last lines, and the whole diff
    // to out (nothing when nothing changed).
    void Finish(ByteSink& out);

  private:
    void Pair(std::string_view before, std::string_view after);
    void FlushAdditions();
    void CloseHunk(std::size_t trailingKept);

    std::string name_;
    std::string& input_;
    std::size_t inputUsed_ = 0;
    std::string output_;
    std::uint64_t lineNumber_ = 0;  // of the last input line paired, from 1
    // Unchanged lines after the last change (or before the first), each as the hunk shows it: up
    // to 6, the context after one change and before the next; more part the hunks.
    std::vector<std::string> unchanged_;
    bool inHunk_ = false;
    std::uint64_t hunkStart_ = 0;  // the hunk's first line, the same on both sides
    std::uint64_t hunkOldLines_ = 0;
    std::uint64_t hunkNewLines_ = 0;
    Spool hunk_;       // the lines of the hunk being made, but for additions_
    Spool additions_;  // the changed lines' new forms, written after their old ones as diff does
    Spool diff_;       // the finished hunks
};

}  // namespace BlankwiseCli
