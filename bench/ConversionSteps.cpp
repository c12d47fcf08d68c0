// The fifteen conversions' steps on a document in the native build, each step timed as the host
// program's --steps times them under Wine: the figures the host benchmark prints beside the 64-bit
// DLL's where the machine runs no 32-bit Windows code.
//
// Usage: ConversionSteps DOCUMENT [ROUNDS] [--win32-paths]. For each id, the best of ROUNDS
// (default 3) for each figure, in the lines the host program prints after "id: N". With
// --win32-paths the steps take the paths the Win32 platform sends them down (see Win32Shaped), so
// that the DLL's steps can be measured and profiled natively, where instruction counts are exact.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "Blankwise/ConversionPipelines.h"
#include "HostEmulator/HostProgram/DocumentText.h"
#include "HostEmulator/HostProgram/StepTimes.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace {

using HostEmulator::StepSplit;
using MyLibrary::TextPlatform;

// The native code page 932 platform in the Win32 platform's shape: its comparison does not admit to
// being code-unit equality (so the replacements ask it through the locale's tables), and widths
// come from a column table by unit instead of double-byte flags. The answers stay the native ones.
class Win32Shaped final : public TextPlatform {
  public:
    Win32Shaped() {
        const std::uint8_t* flags = native_.DoubleByteFlags();
        for (std::size_t unit = 0; unit < columns_.size(); ++unit) {
            columns_[unit] = static_cast<std::uint8_t>(1 + flags[unit]);
        }
    }
    unsigned CodePage() const override { return native_.CodePage(); }
    std::string ToMultiByte(std::u16string_view text) const override { return native_.ToMultiByte(text); }
    std::size_t MultiByteLength(std::u16string_view text) const override {
        return native_.MultiByteLength(text);
    }
    const std::uint8_t* UnitColumns() const override { return columns_.data(); }
    const std::uint16_t* ShiftJisUnitForms() const override { return native_.ShiftJisUnitForms(); }
    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return native_.LocaleEqual(a, b, ignoreCase);
    }
    bool ComparesByCodeUnit() const override { return false; }

  private:
    const TextPlatform& native_ = MyLibrary::NativeTextPlatform();
    std::array<std::uint8_t, 0x10000> columns_{};
};

// Each figure the least of the two, the counts being the same.
void KeepBest(StepSplit& best, const StepSplit& run) {
    for (std::size_t k = 0; k < best.steps.size(); ++k) {
        best.steps[k].seconds = std::min(best.steps[k].seconds, run.steps[k].seconds);
        best.steps[k].estimateSeconds = std::min(best.steps[k].estimateSeconds, run.steps[k].estimateSeconds);
    }
    best.codePage.seconds = std::min(best.codePage.seconds, run.codePage.seconds);
    best.locale.seconds = std::min(best.locale.seconds, run.locale.seconds);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: ConversionSteps DOCUMENT [ROUNDS] [--win32-paths]\n", stderr);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "ConversionSteps: cannot open %s\n", argv[1]);
        return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::u16string text = HostEmulator::DecodeDocument(bytes).text;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    static const Win32Shaped win32Shaped;
    if (argc > 3 && std::string_view(argv[3]) == "--win32-paths") {
        MyLibrary::UseTextPlatform(win32Shaped);
    }
    for (int id = Blankwise::kFirstConversionId; id <= Blankwise::kLastConversionId; ++id) {
        StepSplit best = HostEmulator::TimeConversionSteps(id, text, 0);
        for (int round = 1; round < rounds; ++round) {
            KeepBest(best, HostEmulator::TimeConversionSteps(id, text, 0));
        }
        std::printf("id: %d\n%s", id, HostEmulator::FormatStepSplit(best).c_str());
    }
    return 0;
}
