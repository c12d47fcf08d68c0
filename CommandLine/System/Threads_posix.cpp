#include "CommandLine/System/Threads.h"

#include <utility>

#include "CommandLine/System/EndingSignals_posix.h"

namespace BlankwiseCli {

std::thread StartThreadWithoutEndingSignals(std::function<void()> body) {
    // A new thread starts with the signal mask of the thread that creates it.
    const EndingSignalsBlocked blocked;
    return std::thread(std::move(body));
}

}  // namespace BlankwiseCli
