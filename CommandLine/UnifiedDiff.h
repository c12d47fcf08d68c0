#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine/StreamConversion.h"

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

// Takes a conversion's output and writes a unified diff of it against the input (three lines of
// context, the bytes as they are) to out. Lines are cut after each 0x0A byte, as patch cuts them:
// no conversion adds, removes or moves one (the blanks it writes hold none, in any encoding), so
// the output's lines pair with the input's in order. A hunk is held until it is complete.
class UnifiedDiffSink final : public ByteSink {
  public:
    // recordedInput: the input's bytes as a RecordingSource keeps them, read ahead of the output.
    UnifiedDiffSink(std::string_view name, ByteSink& out, std::string& recordedInput);
    void Write(std::string_view bytes, bool sameAsInput) override;
    // After the last output: the last lines, and the last hunk.
    void Finish();

  private:
    void Pair(std::string_view before, std::string_view after, bool lastLine);
    void AddLine(char mark, std::string_view line, bool lastLine);
    void CloseHunk(std::size_t trailingKept);

    std::string name_;
    ByteSink& out_;
    std::string& input_;
    std::size_t inputUsed_ = 0;
    std::string output_;
    std::uint64_t lineNumber_ = 0;  // of the last line paired, from 1
    bool headerWritten_ = false;
    // Unchanged lines after the last change (or before the first): up to 6, the context after one
    // change and before the next; more part the hunks.
    std::vector<std::string> unchanged_;
    bool inHunk_ = false;
    std::uint64_t hunkStart_ = 0;
    std::uint64_t hunkLines_ = 0;
    std::string hunk_;
};

}  // namespace BlankwiseCli
