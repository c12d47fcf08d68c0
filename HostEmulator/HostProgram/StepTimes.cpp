#include "HostEmulator/HostProgram/StepTimes.h"

#include <chrono>
#include <cstdio>

#include "Blankwise/ConversionPipelines.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace HostEmulator {
namespace {

using MyLibrary::TextPlatform;

struct TickCount {
    std::size_t calls = 0;
    std::uint64_t ticks = 0;
};

template <typename Call>
auto Count(TickCount& count, Call call) {
    const std::uint64_t start = CheapTicks();
    auto result = call();
    count.ticks += CheapTicks() - start;
    ++count.calls;
    return result;
}

// Counts and times each call before handing it to the platform in use; every answer is the
// platform's own, its tables included, so the steps run as they do without it.
class CountingTextPlatform final : public TextPlatform {
  public:
    explicit CountingTextPlatform(const TextPlatform& inner) : inner_(inner) {}

    unsigned CodePage() const override { return inner_.CodePage(); }
    std::string ToMultiByte(std::u16string_view text) const override {
        return Count(codePage_, [&] { return inner_.ToMultiByte(text); });
    }
    std::size_t MultiByteLength(std::u16string_view text) const override {
        return Count(codePage_, [&] { return inner_.MultiByteLength(text); });
    }
    const std::uint8_t* DoubleByteFlags() const override { return inner_.DoubleByteFlags(); }
    std::size_t DisplayWidth(std::u16string_view text) const override {
        return Count(codePage_, [&] { return inner_.DisplayWidth(text); });
    }
    bool WidthIsMultiByteLength() const override { return inner_.WidthIsMultiByteLength(); }
    const std::uint8_t* UnitColumns() const override { return inner_.UnitColumns(); }
    const std::uint16_t* ShiftJisUnitForms() const override { return inner_.ShiftJisUnitForms(); }
    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return Count(locale_, [&] { return inner_.LocaleEqual(a, b, ignoreCase); });
    }
    bool ComparesByCodeUnit() const override { return inner_.ComparesByCodeUnit(); }

    const TextPlatform& Inner() const { return inner_; }
    TickCount CodePageCalls() const { return codePage_; }
    TickCount LocaleCalls() const { return locale_; }

  private:
    const TextPlatform& inner_;
    mutable TickCount codePage_;
    mutable TickCount locale_;
};

// Makes the library use the counting platform for its lifetime.
class PlatformSwap {
  public:
    explicit PlatformSwap(const TextPlatform& platform) : previous_(MyLibrary::CurrentTextPlatform()) {
        MyLibrary::UseTextPlatform(platform);
    }
    PlatformSwap(const PlatformSwap&) = delete;
    PlatformSwap& operator=(const PlatformSwap&) = delete;
    ~PlatformSwap() { MyLibrary::UseTextPlatform(previous_); }

  private:
    const TextPlatform& previous_;
};

}  // namespace

std::uint64_t CheapTicks() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

double SecondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

StepSplit TimeConversionSteps(int id, std::u16string_view selected, std::int32_t prefixWidth) {
    StepSplit split;
    CountingTextPlatform counting(MyLibrary::CurrentTextPlatform());
    const double startSeconds = SecondsNow();
    const std::uint64_t startTicks = CheapTicks();
    {
        const PlatformSwap swap(counting);
        const std::vector<Blankwise::TStepDescription> steps = Blankwise::ConversionSteps(id);
        std::u16string_view current = selected;
        for (std::size_t k = 0; k < steps.size(); ++k) {
            StepTime time{std::string(steps[k].name)};
            if (!steps[k].pattern.empty()) {
                const MyLibrary::TWideStringDynArray patterns{std::u16string(steps[k].pattern)};
                const MyLibrary::TWideStringDynArray replacements{std::u16string(steps[k].replacement)};
                // Timed by itself, outside the counting: the step makes the same calls again.
                const PlatformSwap uncounted(counting.Inner());
                const double start = SecondsNow();
                (void)MyLibrary::ReplacedLengthEstimate(current, patterns, replacements);
                time.estimateSeconds = SecondsNow() - start;
            }
            const double start = SecondsNow();
            split.converted = Blankwise::RunConversionStep(id, k, current, prefixWidth);
            time.seconds = SecondsNow() - start;
            current = split.converted;
            split.steps.push_back(time);
        }
        if (steps.empty()) {
            split.converted = selected;
        }
    }
    // The ticks' length in seconds, from the steady clock over the same stretch.
    const double elapsedTicks = static_cast<double>(CheapTicks() - startTicks);
    const double secondsPerTick = elapsedTicks > 0 ? (SecondsNow() - startSeconds) / elapsedTicks : 0;
    const auto seconds = [&](const TickCount& count) {
        return PlatformCalls{count.calls, static_cast<double>(count.ticks) * secondsPerTick};
    };
    split.codePage = seconds(counting.CodePageCalls());
    split.locale = seconds(counting.LocaleCalls());
    return split;
}

std::string FormatStepSplit(const StepSplit& split) {
    std::string out;
    char line[256];
    for (std::size_t k = 0; k < split.steps.size(); ++k) {
        const StepTime& step = split.steps[k];
        std::snprintf(line, sizeof line, "step %zu %s: %.4f\n", k + 1, step.name.c_str(), step.seconds);
        out += line;
        if (step.estimateSeconds > 0) {
            std::snprintf(line, sizeof line, "step %zu result-length estimate: %.4f\n", k + 1,
                          step.estimateSeconds);
            out += line;
        }
    }
    std::snprintf(line, sizeof line,
                  "code page calls: %zu\ncode page seconds: %.4f\nlocale comparisons: %zu\n"
                  "locale comparison seconds: %.4f\n",
                  split.codePage.calls, split.codePage.seconds, split.locale.calls, split.locale.seconds);
    out += line;
    return out;
}

}  // namespace HostEmulator
