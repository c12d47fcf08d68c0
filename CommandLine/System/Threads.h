#pragma once

#include <functional>
#include <thread>

namespace BlankwiseCli {

// Starts a thread other than the main one that never takes the signals that end the process (and
// remove an in-place rewrite's temporary file): they go to the main thread only. It holds them back
// while it names a temporary file; one taken by another thread in that moment would leave the file
// behind. The thread has them blocked from its start, not from its first statement, which may come
// after the main thread has named the file. Windows sends no signals to a process's threads.
std::thread StartThreadWithoutEndingSignals(std::function<void()> body);

}  // namespace BlankwiseCli
