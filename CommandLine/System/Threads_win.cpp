#include "CommandLine/System/Threads.h"

#include <utility>

namespace BlankwiseCli {

// Windows sends no signals to the threads of a process.
std::thread StartThreadWithoutEndingSignals(std::function<void()> body) {
    return std::thread(std::move(body));
}

}  // namespace BlankwiseCli
