#pragma once

#include <unistd.h>

#include <string_view>

#include "CommandLine/System/FileAccess.h"

// What the POSIX files of the file layer share.
namespace BlankwiseCli {

// The failure with the system's text for error: "what: text".
IoError SystemError(std::string_view what, int error);

// Writes all of bytes, again where a signal cut a write short.
void WriteAll(int fd, std::string_view bytes);

// A descriptor closed when it goes; -1 is none.
class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes the descriptor held and holds fd; returns what closing it returned (0 for none).
    int Reset(int fd = -1) {
        const int closed = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = fd;
        return closed;
    }

  private:
    int fd_;
};

}  // namespace BlankwiseCli
