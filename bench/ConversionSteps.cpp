// The fifteen conversions' steps on a document in the native build, each step timed as the host
// program's --steps times them under Wine: the figures the host benchmark prints beside the 64-bit
// DLL's where the machine runs no 32-bit Windows code.
//
// Usage: ConversionSteps DOCUMENT [ROUNDS]. For each id, the best of ROUNDS (default 3) for each
// figure, in the lines the host program prints after "id: N".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "Blankwise/ConversionPipelines.h"
#include "HostEmulator/HostProgram/DocumentText.h"
#include "HostEmulator/HostProgram/StepTimes.h"

namespace {

using HostEmulator::StepSplit;

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
        std::fputs("usage: ConversionSteps DOCUMENT [ROUNDS]\n", stderr);
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
    for (int id = Blankwise::kFirstConversionId; id <= Blankwise::kLastConversionId; ++id) {
        StepSplit best = HostEmulator::TimeConversionSteps(id, text, 0);
        for (int round = 1; round < rounds; ++round) {
            KeepBest(best, HostEmulator::TimeConversionSteps(id, text, 0));
        }
        std::printf("id: %d\n%s", id, HostEmulator::FormatStepSplit(best).c_str());
    }
    return 0;
}
