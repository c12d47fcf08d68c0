#include <string>
#include <vector>

#include "CommandLine/BlankwiseApp.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return BlankwiseCli::RunBlankwise(args, BlankwiseCli::ProcessStreams());
}
