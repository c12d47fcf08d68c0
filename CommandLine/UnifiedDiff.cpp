#include "CommandLine/UnifiedDiff.h"

namespace BlankwiseCli {
namespace {

constexpr std::size_t kContextLines = 3;
constexpr std::string_view kNoNewline = "\\ No newline at end of file\n";

}  // namespace

std::size_t RecordingSource::Read(char* buffer, std::size_t size) {
    const std::size_t got = source_.Read(buffer, size);
    recorded_.append(buffer, got);
    return got;
}

UnifiedDiffSink::UnifiedDiffSink(std::string_view name, ByteSink& out, std::string& recordedInput)
    : name_(name), out_(out), input_(recordedInput) {}

void UnifiedDiffSink::Write(std::string_view bytes, bool /*sameAsInput*/) {
    output_.append(bytes);
    std::size_t used = 0;
    for (std::size_t end = output_.find('\n'); end != std::string::npos; end = output_.find('\n', used)) {
        const std::size_t inputEnd = input_.find('\n', inputUsed_);
        if (inputEnd == std::string::npos) {
            break;  // cannot be: the input is read ahead of its conversion
        }
        Pair(std::string_view(input_).substr(inputUsed_, inputEnd + 1 - inputUsed_),
             std::string_view(output_).substr(used, end + 1 - used), false);
        inputUsed_ = inputEnd + 1;
        used = end + 1;
    }
    output_.erase(0, used);
    if (inputUsed_ > (std::size_t{1} << 16) && inputUsed_ * 2 > input_.size()) {
        input_.erase(0, inputUsed_);
        inputUsed_ = 0;
    }
}

void UnifiedDiffSink::Finish() {
    const std::string_view before = std::string_view(input_).substr(inputUsed_);
    if (!before.empty() || !output_.empty()) {
        Pair(before, output_, true);
    }
    if (inHunk_) {
        CloseHunk(std::min(unchanged_.size(), kContextLines));
    }
}

void UnifiedDiffSink::Pair(std::string_view before, std::string_view after, bool lastLine) {
    ++lineNumber_;
    if (before == after) {
        unchanged_.emplace_back(before);
        if (!inHunk_ && unchanged_.size() > kContextLines) {
            unchanged_.erase(unchanged_.begin());
        } else if (inHunk_ && unchanged_.size() > 2 * kContextLines) {
            CloseHunk(kContextLines);
        }
        if (lastLine && !before.empty()) {
            unchanged_.back() += "\n";
            unchanged_.back() += kNoNewline;
        }
        return;
    }
    if (!inHunk_) {
        inHunk_ = true;
        hunkStart_ = lineNumber_ - unchanged_.size();
        hunkLines_ = 0;
        hunk_.clear();
    }
    for (const std::string& line : unchanged_) {
        AddLine(' ', line, false);
    }
    unchanged_.clear();
    AddLine('-', before, lastLine);
    AddLine('+', after, lastLine);
    ++hunkLines_;
}

// One line of a hunk; a changed line counts once for both sides, in Pair.
void UnifiedDiffSink::AddLine(char mark, std::string_view line, bool lastLine) {
    hunk_ += mark;
    hunk_ += line;
    if (lastLine) {
        hunk_ += "\n";
        hunk_ += kNoNewline;
    }
    if (mark == ' ') {
        ++hunkLines_;
    }
}

// Ends the hunk with the first trailingKept unchanged lines; the last three stay as the context
// before the next.
void UnifiedDiffSink::CloseHunk(std::size_t trailingKept) {
    for (std::size_t i = 0; i < trailingKept; ++i) {
        hunk_ += ' ';
        hunk_ += unchanged_[i];
        ++hunkLines_;
    }
    if (unchanged_.size() > kContextLines) {
        unchanged_.erase(unchanged_.begin(), unchanged_.end() - kContextLines);
    }
    if (!headerWritten_) {
        headerWritten_ = true;
        out_.Write("--- a/" + name_ + "\n+++ b/" + name_ + "\n", false);
    }
    const std::string range = std::to_string(hunkStart_) + "," + std::to_string(hunkLines_);
    out_.Write("@@ -" + range + " +" + range + " @@\n", false);
    out_.Write(hunk_, false);
    hunk_.clear();
    inHunk_ = false;
}

}  // namespace BlankwiseCli
