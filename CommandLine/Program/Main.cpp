#include <signal.h>

#include <csignal>
#include <string>
#include <vector>

#include "CommandLine/Program/BlankwiseApp.h"

int main(int argc, char** argv) {
    // A write past the file size limit (ulimit -f) fails with EFBIG and is reported as any failed
    // write is, instead of ending the process by SIGXFSZ and leaving its temporary file behind.
    ::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return BlankwiseCli::RunBlankwise(args, BlankwiseCli::ProcessStreams());
}
