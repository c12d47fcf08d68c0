#include "CommandLine/Program/UnifiedDiff.h"

#include <algorithm>

#include "CommandLine/Program/NameQuoting.h"
#include "MyLibrary/StringUnit/Assertion.h"

namespace BlankwiseCli {
namespace {

constexpr std::size_t kContextLines = 3;
constexpr std::string_view kNoNewline = "\\ No newline at end of file\n";

// A line of a hunk: its mark and bytes, and the note diff adds after a last line without a break.
std::string HunkLine(char mark, std::string_view line) {
    std::string text(1, mark);
    text += line;
    if (!line.ends_with('\n')) {
        text += '\n';
        text += kNoNewline;
    }
    return text;
}

// One side's lines in a hunk header, as diff writes them: "5" for one line, "5,3" for more, and
// for none the line before the hunk, "4,0".
std::string Range(std::uint64_t start, std::uint64_t lines) {
    if (lines == 0) {
        return std::to_string(start - 1) + ",0";
    }
    return lines == 1 ? std::to_string(start) : std::to_string(start) + "," + std::to_string(lines);
}

// A header line's path, quoted as git quotes it; a tab after a path with a space, as git writes
// it, tells patch and git apply where the path ends.
std::string HeaderLine(std::string_view marker, std::string_view path) {
    const std::string quoted = CQuotedPath(path);
    return std::string(marker) + quoted + (quoted.find(' ') != std::string::npos ? "\t\n" : "\n");
}

}  // namespace

std::size_t RecordingSource::Read(char* buffer, std::size_t size) {
    const std::size_t got = source_.Read(buffer, size);
    recorded_.append(buffer, got);
    return got;
}

UnifiedDiffSink::UnifiedDiffSink(std::string_view name, std::string& recordedInput)
    : name_(name), input_(recordedInput) {}

void UnifiedDiffSink::Write(std::string_view bytes, bool /*sameAsInput*/) {
    output_.append(bytes);
    std::size_t used = 0;
    for (std::size_t end = output_.find('\n'); end != std::string::npos; end = output_.find('\n', used)) {
        const std::size_t inputEnd = input_.find('\n', inputUsed_);
        // No conversion adds a line, and the input is read ahead of its conversion.
        BLANKWISE_ASSERT(inputEnd != std::string::npos);
        Pair(std::string_view(input_).substr(inputUsed_, inputEnd + 1 - inputUsed_),
             std::string_view(output_).substr(used, end + 1 - used));
        inputUsed_ = inputEnd + 1;
        used = end + 1;
    }
    output_.erase(0, used);
    if (inputUsed_ > (std::size_t{1} << 16) && inputUsed_ * 2 > input_.size()) {
        input_.erase(0, inputUsed_);
        inputUsed_ = 0;
    }
}

void UnifiedDiffSink::Finish(ByteSink& out) {
    const std::string_view before = std::string_view(input_).substr(inputUsed_);
    if (!before.empty() || !output_.empty()) {
        Pair(before, output_);
    }
    if (inHunk_) {
        CloseHunk(std::min(unchanged_.size(), kContextLines));
    }
    diff_.Drain([&out](std::string_view bytes) { out.Write(bytes, false); });
}

// A line of the input and what it became; either is empty only at the end, where there is no line.
void UnifiedDiffSink::Pair(std::string_view before, std::string_view after) {
    ++lineNumber_;
    if (before == after) {
        FlushAdditions();
        unchanged_.push_back(HunkLine(' ', before));
        if (!inHunk_ && unchanged_.size() > kContextLines) {
            unchanged_.erase(unchanged_.begin());
        } else if (inHunk_ && unchanged_.size() > 2 * kContextLines) {
            CloseHunk(kContextLines);
        }
        return;
    }
    if (!inHunk_) {
        inHunk_ = true;
        hunkStart_ = lineNumber_ - unchanged_.size();
        hunkOldLines_ = 0;
        hunkNewLines_ = 0;
    }
    for (const std::string& line : unchanged_) {
        hunk_.Append(line);
    }
    hunkOldLines_ += unchanged_.size();
    hunkNewLines_ += unchanged_.size();
    unchanged_.clear();
    if (!before.empty()) {
        hunk_.Append(HunkLine('-', before));
        ++hunkOldLines_;
    }
    if (!after.empty()) {
        additions_.Append(HunkLine('+', after));
        ++hunkNewLines_;
    }
}

void UnifiedDiffSink::FlushAdditions() {
    additions_.Drain([this](std::string_view bytes) { hunk_.Append(bytes); });
}

// Ends the hunk with the first trailingKept unchanged lines; the last three stay as the context
// before the next.
void UnifiedDiffSink::CloseHunk(std::size_t trailingKept) {
    FlushAdditions();
    for (std::size_t i = 0; i < trailingKept; ++i) {
        hunk_.Append(unchanged_[i]);
    }
    hunkOldLines_ += trailingKept;
    hunkNewLines_ += trailingKept;
    if (unchanged_.size() > kContextLines) {
        unchanged_.erase(unchanged_.begin(), unchanged_.end() - kContextLines);
    }
    if (diff_.Empty()) {
        diff_.Append(HeaderLine("--- ", "a/" + name_) + HeaderLine("+++ ", "b/" + name_));
    }
    diff_.Append("@@ -" + Range(hunkStart_, hunkOldLines_) + " +" + Range(hunkStart_, hunkNewLines_) +
                 " @@\n");
    hunk_.Drain([this](std::string_view bytes) { diff_.Append(bytes); });
    inHunk_ = false;
}

}  // namespace BlankwiseCli
