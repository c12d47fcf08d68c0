#pragma once

#include <signal.h>

// The signals that end the process, which remove an in-place rewrite's temporary file on their way
// (InPlaceFile_posix.cpp) and which only the main thread takes (Threads_posix.cpp).
namespace BlankwiseCli {

inline constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Blocks the ending signals on the calling thread while it lives.
class EndingSignalsBlocked {
  public:
    EndingSignalsBlocked() {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : kEndingSignals) {
            sigaddset(&ending, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &ending, &previous_);
    }
    ~EndingSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
    EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

  private:
    sigset_t previous_;
};

}  // namespace BlankwiseCli
