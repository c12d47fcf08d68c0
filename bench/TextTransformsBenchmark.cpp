// Throughput and peak memory of the white-space transforms on a 16-million-unit Japanese
// document, against `expand -t4` and Python's str.expandtabs / str.replace on the same text,
// each measured in this run. Prints one "ratio ..." line per target.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "Blankwise/TextTransforms.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

// Counting allocator: the live heap bytes and their high-water mark, for the peak memory of one
// transform.
namespace {
std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

void* CountedAllocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t live = liveBytes += malloc_usable_size(p);
    std::size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return p;
}

void CountedFree(void* p) noexcept {
    if (p != nullptr) {
        liveBytes -= malloc_usable_size(p);
        std::free(p);
    }
}
}  // namespace

void* operator new(std::size_t size) {
    return CountedAllocate(size);
}
void* operator new[](std::size_t size) {
    return CountedAllocate(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

namespace {

using Blankwise::WideString;
using Blankwise::WideStringView;

constexpr std::size_t kDocumentUnits = 16'000'000;
constexpr int kPeerRuns = 5;

// A deterministic document of prose and code-like lines: Japanese sentences (kanji, kana,
// full-width forms, the odd half-width katakana or ASCII word), often indented with U+3000, tabs
// or spaces; and lines of ASCII tokens separated by runs of spaces and tabs with a Japanese
// comment. Lines end in CR LF or LF.
WideString MakeDocument() {
    static const std::u16string_view kJapanese[] = {
        u"漢字",     u"変換",     u"空白", u"日本語", u"表示",   u"編集",   u"文書",     u"設定",
        u"ひらがな", u"カタカナ", u"です", u"ます",   u"の",     u"は",     u"を",       u"ｶﾀｶﾅ",
        u"（注）",   u"「引用」", u"、",   u"。",     u"ＡＢＣ", u"１２３", u"について", u"されます",
    };
    static const std::u16string_view kAscii[] = {
        u"int", u"return", u"value", u"abc123", u"x", u"i++", u"0x7F", u"Blankwise", u"=", u"{", u"}", u"//",
    };
    static const std::u16string_view kGaps[] = {u" ", u" ", u" ", u" ", u"  ", u"    ", u"\t", u"\t", u" \t"};
    static const std::u16string_view kIndents[] = {u"", u"", u"\t", u"\t\t", u"    ", u"  ", u"\u3000"};
    std::uint32_t state = 0x9E3779B9u;
    auto next = [&state](std::uint32_t bound) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state % bound;
    };
    auto appendSentence = [&](WideString& text, std::uint32_t words) {
        for (std::uint32_t w = 0; w < words; ++w) {
            if (next(10) == 0) {
                text += u" ";
                text += kAscii[next(std::size(kAscii))];
                text += u" ";
            } else {
                text += kJapanese[next(std::size(kJapanese))];
            }
        }
    };
    WideString text;
    text.reserve(kDocumentUnits + 256);
    while (text.size() < kDocumentUnits) {
        text += kIndents[next(std::size(kIndents))];
        if (next(2) == 0) {
            appendSentence(text, 3 + next(12));
        } else {
            const std::uint32_t tokens = next(8);
            for (std::uint32_t t = 0; t < tokens; ++t) {
                text += kAscii[next(std::size(kAscii))];
                text += kGaps[next(std::size(kGaps))];
            }
            text += u"// ";
            appendSentence(text, next(5));
        }
        text += next(2) == 0 ? u"\r\n" : u"\n";
    }
    text.resize(kDocumentUnits);
    return text;
}

// The same units with every line break replaced by a letter: one line of 16 million units.
WideString AsSingleLine(WideStringView text) {
    WideString line(text);
    std::replace_if(
        line.begin(), line.end(), [](char16_t unit) { return unit == u'\r' || unit == u'\n'; }, u'x');
    return line;
}

const WideString& Document() {
    static const WideString document = MakeDocument();
    return document;
}

const WideString& SingleLine() {
    static const WideString line = AsSingleLine(Document());
    return line;
}

WideString ReplaceSpaces(WideStringView text) {
    return Blankwise::ReplacePattern(text, u" ", u"\u3000", false);
}

struct Operation {
    const char* name;
    WideString (*run)(WideStringView);
};

const Operation kOperations[] = {
    {"ExpandTabs", Blankwise::ExpandTabs},
    {"CompressSpaces", Blankwise::CompressSpaces},
    {"CollapseSpaceRuns", Blankwise::CollapseSpaceRuns},
    {"ReplacePattern", ReplaceSpaces},
};

// Keeps the fastest iteration time (seconds) of every benchmark across its repetitions. Every time
// compared here, ours and the peers', is CPU time: on a shared machine wall time also counts the
// time spent waiting for a core.
class BestTimeReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            auto [it, inserted] = best.try_emplace(run.run_name.function_name, seconds);
            if (!inserted) {
                it->second = std::min(it->second, seconds);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> best;
};

void RegisterBenchmarks() {
    for (const Operation& operation : kOperations) {
        for (const bool single : {false, true}) {
            const std::string name = std::string(operation.name) + (single ? "/single-line" : "/lines");
            benchmark::RegisterBenchmark(
                name.c_str(),
                [operation, single](benchmark::State& state) {
                    const WideString& input = single ? SingleLine() : Document();
                    for (auto _ : state) {
                        WideString result = operation.run(input);
                        benchmark::DoNotOptimize(result.data());
                    }
                    state.SetBytesProcessed(state.iterations() *
                                            static_cast<std::int64_t>(input.size() * sizeof(char16_t)));
                })
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(5)
                ->MinTime(0.2);
        }
    }
}

// Best CPU time (user and system) of a whole external process, from start to exit, its standard
// output sent to /dev/null.
double BestProcessSeconds(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    double best = std::numeric_limits<double>::infinity();
    for (int run = 0; run < kPeerRuns; ++run) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        auto seconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
        };
        best = std::min(best, seconds(usage.ru_utime) + seconds(usage.ru_stime));
    }
    return best;
}

// Python's own timing (CPU time) of str.expandtabs(4) and str.replace(' ', '\u3000') on the document,
// read from a UTF-16LE file: the best of several calls each, in seconds.
std::pair<double, double> PythonSeconds(const std::filesystem::path& utf16File) {
    const std::string script =
        "import sys, time\n"
        "s = open(sys.argv[1], 'rb').read().decode('utf-16-le')\n"
        "def best(f):\n"
        "    t = float('inf')\n"
        "    for _ in range(" +
        std::to_string(kPeerRuns) +
        "):\n"
        "        a = time.process_time(); r = f(); t = min(t, time.process_time() - a); del r\n"
        "    return t\n"
        "print(best(lambda: s.expandtabs(4)), best(lambda: s.replace(' ', '\\u3000')))\n";
    const std::string command = "python3 -c \"$BLANKWISE_PY\" '" + utf16File.string() + "'";
    setenv("BLANKWISE_PY", script.c_str(), 1);
    FILE* pipe = popen(command.c_str(), "r");
    double expand = std::numeric_limits<double>::quiet_NaN();
    double replace = expand;
    if (pipe != nullptr) {
        if (std::fscanf(pipe, "%lf %lf", &expand, &replace) != 2) {
            expand = replace = std::numeric_limits<double>::quiet_NaN();
        }
        pclose(pipe);
    }
    return {expand, replace};
}

// Heap high-water mark of one call beyond what was live before it, the input not included.
std::size_t PeakBytesOf(const Operation& operation, WideStringView input) {
    const std::size_t before = liveBytes.load();
    peakBytes = before;
    {
        WideString result = operation.run(input);
        benchmark::DoNotOptimize(result.data());
    }
    return peakBytes.load() - before;
}

void PrintRatio(const std::string& what, double value, const char* target) {
    std::printf("ratio %s: %.2f (target %s)\n", what.c_str(), value, target);
}

}  // namespace

int main(int argc, char** argv) {
    // glibc hands every block above 32 MiB back to the kernel when it is freed, so each call that
    // makes a 16-million-unit result would pay for fresh pages again (about 0.5 ms per MB on this
    // kind of machine), which measures the kernel rather than the transform. Keep freed memory in
    // the heap, here and in the peers' processes alike.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
    setenv("GLIBC_TUNABLES", "glibc.malloc.mmap_max=0:glibc.malloc.trim_threshold=2147483647", 1);
    const WideString& document = Document();
    SingleLine();
    benchmark::Initialize(&argc, argv);
    RegisterBenchmarks();
    BestTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const std::filesystem::path directory = std::filesystem::temp_directory_path();
    const std::filesystem::path cp932File =
        directory / ("blankwise-bench-" + std::to_string(getpid()) + ".sjis");
    const std::filesystem::path utf16File =
        directory / ("blankwise-bench-" + std::to_string(getpid()) + ".utf16");
    {
        const std::string bytes = MyLibrary::CurrentTextPlatform().ToMultiByte(document);
        std::ofstream(cp932File, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::ofstream(utf16File, std::ios::binary)
            .write(reinterpret_cast<const char*>(document.data()),
                   static_cast<std::streamsize>(document.size() * sizeof(char16_t)));
    }
    const double expandSeconds = BestProcessSeconds({"expand", "-t4", cp932File.string()});
    const auto [pythonExpandSeconds, pythonReplaceSeconds] = PythonSeconds(utf16File);
    std::filesystem::remove(cp932File);
    std::filesystem::remove(utf16File);

    auto best = [&reporter](const std::string& name) {
        const auto found = reporter.best.find(name);
        return found == reporter.best.end() ? std::numeric_limits<double>::quiet_NaN() : found->second;
    };
    const double units = static_cast<double>(document.size());
    std::printf("\ndocument: %zu UTF-16 units, %zu lines, %zu tabs, %zu spaces\n", document.size(),
                static_cast<std::size_t>(std::count(document.begin(), document.end(), u'\n')),
                static_cast<std::size_t>(std::count(document.begin(), document.end(), u'\t')),
                static_cast<std::size_t>(std::count(document.begin(), document.end(), u' ')));
    std::printf(
        "CPU time, best of %d: expand -t4 %.1f ms, python expandtabs %.1f ms, python replace %.1f ms\n",
        kPeerRuns, expandSeconds * 1e3, pythonExpandSeconds * 1e3, pythonReplaceSeconds * 1e3);
    for (const Operation& operation : kOperations) {
        const std::string name = operation.name;
        std::printf("throughput %s: %.0f M units/s (%.1f ms)\n", operation.name,
                    units / best(name + "/lines") / 1e6, best(name + "/lines") * 1e3);
    }
    PrintRatio("ExpandTabs/expand-t4 throughput", expandSeconds / best("ExpandTabs/lines"), ">= 2.5");
    PrintRatio("ExpandTabs/python-expandtabs throughput", pythonExpandSeconds / best("ExpandTabs/lines"),
               ">= 2.5");
    PrintRatio("ReplacePattern/python-replace throughput",
               pythonReplaceSeconds / best("ReplacePattern/lines"), ">= 1.0");
    for (const Operation& operation : kOperations) {
        const std::string name = operation.name;
        PrintRatio(name + " single-line/lines per-unit cost",
                   best(name + "/single-line") / best(name + "/lines"), "<= 1.5");
    }
    const double inputBytes = units * sizeof(char16_t);
    for (const Operation& operation : kOperations) {
        PrintRatio(std::string(operation.name) + " peak-memory/input-bytes",
                   static_cast<double>(PeakBytesOf(operation, document)) / inputBytes, "< 5");
        PrintRatio(std::string(operation.name) + " single-line peak-memory/input-bytes",
                   static_cast<double>(PeakBytesOf(operation, SingleLine())) / inputBytes, "< 5");
    }
    return 0;
}
