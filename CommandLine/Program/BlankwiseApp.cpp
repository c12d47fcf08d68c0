#include "CommandLine/Program/BlankwiseApp.h"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>

#include "Blankwise/BlankwiseVersion.h"
#include "Blankwise/ConversionPipelines.h"
#include "CommandLine/Program/CommandLineOptions.h"
#include "CommandLine/Program/ConversionNames.h"
#include "CommandLine/Program/EditorConfig.h"
#include "CommandLine/Program/EncodingChoice.h"
#include "CommandLine/Program/NameQuoting.h"
#include "CommandLine/Program/UnifiedDiff.h"
#include "CommandLine/Stream/StreamConversion.h"
#include "MyLibrary/Encoding/EncodingGuess.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/StringUnit/UnicodeWidth.h"

namespace BlankwiseCli {
namespace {

constexpr std::string_view kStandardInputName = "standard input";

// The code page 932 widths are those of the platform the program starts with.
const MyLibrary::TextPlatform& PlatformForWidths(const Options& options) {
    return options.widths == Widths::Unicode ? MyLibrary::UnicodeWidthTextPlatform(options.ambiguousColumns)
                                             : MyLibrary::CurrentTextPlatform();
}

// A message on standard error. Standard error that is closed or full takes none: the run goes on,
// and its exit status still tells the failure.
void WriteError(TextWriter& errors, const std::string& text) noexcept {
    try {
        errors.Write(text);
    } catch (const std::exception&) {
    }
}

// A failure to write standard output ends the run: no later input could be written either.
class OutputError : public IoError {
  public:
    using IoError::IoError;
};

class StandardOutputSink final : public ByteSink {
  public:
    explicit StandardOutputSink(ByteSink& output) : output_(output) {}
    void Write(std::string_view bytes, bool sameAsInput) override {
        try {
            output_.Write(bytes, sameAsInput);
        } catch (const IoError& error) {
            throw OutputError(error.what());
        }
    }

  private:
    ByteSink& output_;
};

// Collects an in-place rewrite. While the output repeats the input it only counts bytes, so a
// file that does not change is never written, and a read-only file that needs no change is no
// error. At the first change it starts the replacement file and copies the unchanged bytes into
// it from the file opened.
class InPlaceSink final : public ByteSink {
  public:
    explicit InPlaceSink(InPlaceFile& file) : file_(file) {}

    void Write(std::string_view bytes, bool sameAsInput) override {
        if (!started_) {
            if (sameAsInput) {
                unchangedBytes_ += bytes.size();
                return;
            }
            Start();
        }
        file_.WriteReplacement(bytes);
    }

    // Renames the replacement over the file, when there is one.
    void Finish() {
        if (started_) {
            RunStepBeforeReplacing(RewriteStage::Committing);
            file_.CommitReplacement();
        }
    }

  private:
    static void RunStepBeforeReplacing(RewriteStage stage) {
        if (const auto& step = StepBeforeReplacing()) {
            step(stage);
        }
    }

    void Start() {
        RunStepBeforeReplacing(RewriteStage::Starting);
        file_.StartReplacement();
        started_ = true;
        std::string block(std::size_t{1} << 16, '\0');
        for (std::uint64_t copied = 0; copied < unchangedBytes_;) {
            const std::uint64_t left = unchangedBytes_ - copied;
            const std::size_t wanted = left < block.size() ? static_cast<std::size_t>(left) : block.size();
            const std::size_t got = file_.ReadAt(copied, block.data(), wanted);
            if (got == 0) {
                throw IoError("the file changed while it was being converted");
            }
            file_.WriteReplacement(std::string_view(block.data(), got));
            copied += got;
        }
    }

    InPlaceFile& file_;
    std::uint64_t unchangedBytes_ = 0;
    bool started_ = false;
};

std::string ListText() {
    std::string text;
    for (const Blankwise::TConversion& conversion : Blankwise::Conversions()) {
        char number[8];
        std::snprintf(number, sizeof number, "%2d  ", conversion.id);
        std::string name(ConversionName(conversion.id));
        name.resize(25, ' ');
        text += number + name + MyLibrary::Utf16ToUtf8(conversion.caption) + "\n";
    }
    return text;
}

class Run {
  public:
    Run(const Options& options, StandardStreams& streams) : options_(options), streams_(streams) {}

    int Convert() {
        std::vector<std::string> files = options_.files;
        if (files.empty()) {
            files.emplace_back("-");
        }
        for (const std::string& file : files) {
            const std::string name =
                file == "-" ? std::string(kStandardInputName) : QuotedName(file, NameUse::Message);
            try {
                ConvertOne(file, name);
            } catch (const OutputError& error) {
                Fail("standard output", error.what());
                break;
            } catch (const IoError& error) {
                Fail(name, error.what());
            } catch (const std::bad_alloc&) {
                Fail(name, "out of memory");
            }
        }
        return failed_ ? kExitError : anyWouldChange_ ? kExitWouldChange : kExitSuccess;
    }

  private:
    void ConvertOne(const std::string& file, const std::string& name) {
        const std::size_t input = inputsStarted_++;  // before anything can fail: --label counts inputs
        const EditorConfigPlan plan = PlanFor(file);
        std::unique_ptr<ByteSource> opened;
        std::unique_ptr<InPlaceFile> rewritten;
        ByteSource* source = &streams_.input;
        if (options_.mode == OutputMode::InPlace) {
            rewritten = OpenInPlaceFile(file);
            source = rewritten.get();
        } else if (file != "-") {
            opened = OpenInputFile(file);
            source = opened.get();
        }
        const bool writesOutput =
            options_.mode == OutputMode::StandardOutput || options_.mode == OutputMode::Diff;
        if (writesOutput && ReadsItsOwnOutput(*source, streams_.output)) {
            throw IoError("input file is output file");  // it would grow for as long as it was read
        }
        std::optional<Utf8MarkCheck> markChecked;
        if (plan.utf8MarkRequired) {
            source = &markChecked.emplace(*source);
        }
        const std::string refusal = markChecked && !markChecked->Marked()
                                        ? "charset utf-8-bom (.editorconfig) asks for a byte order mark, "
                                          "which it lacks; left as it is"
                                        : plan.refusal;
        if (!plan.settings || !refusal.empty()) {
            LeaveAsItIs(*source);
            if (!refusal.empty()) {
                Fail(name, refusal);
            }
            return;
        }
        StreamSettings settings = *plan.settings;
        GuessedEncoding guessed;
        if (options_.guessEncoding) {
            guessed = GuessEncodingOf(*source);
            if (!guessed.encoding) {
                Fail(name, "bytes not valid in any encoding tried (" +
                               std::string(MyLibrary::kGuessedEncodings) + ")" + LeftAsItWas());
                return;
            }
            settings.encoding = *guessed.encoding;
            if (guessed.replay) {
                source = guessed.replay.get();
            }
        }
        const StreamOutcome outcome = ConvertInMode(*source, rewritten.get(), settings, file, input);
        if (options_.verbose) {
            WriteError(streams_.errors, "blankwise: " + name + ": " +
                                            std::string(MyLibrary::EncodingName(outcome.encoding)) +
                                            (guessed.encoding ? " (guessed)\n" : "\n"));
        }
        if (outcome.invalid) {
            Fail(name, "bytes not valid in " + std::string(MyLibrary::EncodingName(outcome.encoding)) +
                           " at byte offset " + std::to_string(outcome.errorOffset) + LeftAsItWas());
        }
    }

    std::string LeftAsItWas() const {
        return options_.mode == OutputMode::InPlace ? "; the file is left as it was" : "";
    }

    StreamSettings Settings() const {
        StreamSettings settings{options_.conversionId, options_.startColumn, options_.encoding};
        settings.tabStops = options_.tabStops;
        settings.textPlatform = &PlatformForWidths(options_);
        settings.initialOnly = options_.initialOnly;
        if (options_.threads > 0) {
            settings.helperThreads = MyLibrary::Narrowed<std::size_t>(options_.threads - 1);
        }
        return settings;
    }

    // How one input converts: with the command line's settings, or with --editorconfig as the
    // sections of its .editorconfig files say (standard input's found by --assume-filename). A
    // .editorconfig that does not parse refuses the input, which is then left as it is.
    EditorConfigPlan PlanFor(const std::string& file) const {
        EditorConfigPlan plan;
        if (!options_.editorConfig) {
            plan.settings = Settings();
            return plan;
        }
        try {
            return PlanFromEditorConfig(file == "-" ? options_.assumedFileName : file, Settings(),
                                        options_.encodingGiven);
        } catch (const IoError& error) {
            plan.refusal = error.what();
            return plan;
        }
    }

    // An input that is not converted (no indent_style, or refused): written out as it is to standard
    // output, and in the other modes neither listed, nor diffed, nor rewritten.
    void LeaveAsItIs(ByteSource& source) {
        if (options_.mode != OutputMode::StandardOutput) {
            return;
        }
        StandardOutputSink output(streams_.output);
        std::string block(std::size_t{1} << 16, '\0');
        while (const std::size_t got = source.Read(block.data(), block.size())) {
            output.Write(std::string_view(block.data(), got), true);
        }
    }

    // Converts one input (the file being rewritten, with --in-place) as the output mode writes it;
    // `input` counts the inputs from 0, for --label.
    StreamOutcome ConvertInMode(ByteSource& source, InPlaceFile* rewritten, const StreamSettings& settings,
                                const std::string& file, std::size_t input) {
        StreamOutcome outcome;
        switch (options_.mode) {
            case OutputMode::StandardOutput: {
                StandardOutputSink sink(streams_.output);
                outcome = ConvertStream(source, &sink, settings);
                break;
            }
            case OutputMode::Check:
                outcome = ConvertStream(source, nullptr, settings);
                if (outcome.changed && !outcome.invalid) {
                    anyWouldChange_ = true;
                    WriteMessage(QuotedName(file, NameUse::Listing) + "\n");
                }
                break;
            case OutputMode::Diff: {
                std::string recorded;
                RecordingSource recording(source, recorded);
                UnifiedDiffSink diff(input < options_.labels.size() ? options_.labels[input] : file,
                                     recorded);
                outcome = ConvertStream(recording, &diff, settings);
                if (!outcome.invalid) {
                    StandardOutputSink output(streams_.output);
                    diff.Finish(output);
                }
                anyWouldChange_ =
                    anyWouldChange_ || (options_.diffChecks && outcome.changed && !outcome.invalid);
                break;
            }
            case OutputMode::InPlace: {
                InPlaceSink sink(*rewritten);
                outcome = ConvertStream(source, &sink, settings);
                if (!outcome.invalid) {
                    sink.Finish();
                }
                break;
            }
        }
        return outcome;
    }

    // A listing on standard output: its failure is standard output's, not the file's.
    void WriteMessage(std::string_view text) {
        try {
            streams_.messages.Write(text);
        } catch (const IoError& error) {
            throw OutputError(error.what());
        }
    }

    void Fail(std::string_view name, std::string_view message) {
        failed_ = true;
        WriteError(streams_.errors, "blankwise: " + std::string(name) + ": " + std::string(message) + "\n");
    }

    const Options& options_;
    StandardStreams& streams_;
    bool failed_ = false;
    bool anyWouldChange_ = false;
    std::size_t inputsStarted_ = 0;
};

}  // namespace

int RunBlankwise(std::span<const std::string> args, StandardStreams& streams) {
    const auto parsed = ParseOptions(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        WriteError(streams.errors, "blankwise: " + error->message + "\n" + std::string(UsageText()));
        return kExitError;
    }
    const Options& options = std::get<Options>(parsed);
    try {
        switch (options.action) {
            case Action::Help:
                streams.messages.Write(HelpText());
                return kExitSuccess;
            case Action::Version:
                streams.messages.Write("blankwise " BLANKWISE_VERSION_TEXT "\n");
                return kExitSuccess;
            case Action::List:
                streams.messages.Write(ListText());
                return kExitSuccess;
            case Action::Convert:
                return Run(options, streams).Convert();
        }
    } catch (const IoError& error) {
        WriteError(streams.errors, "blankwise: standard output: " + std::string(error.what()) + "\n");
    } catch (const std::bad_alloc&) {
        WriteError(streams.errors, "blankwise: out of memory\n");
    } catch (const MyLibrary::TAssertionFailure& failure) {
        // A state the code holds cannot happen: the run stops, a file being rewritten left as it was.
        WriteError(streams.errors, "blankwise: internal error: " + std::string(failure.what()) + "\n");
    }
    return kExitError;
}

}  // namespace BlankwiseCli
