#pragma once

#include <stdexcept>
#include <string>

namespace MyLibrary {

// An internal consistency check that failed. what() is "<message> (<source>, <line> 行)" in UTF-8,
// the form in which the failure reaches the user.
class TAssertionFailure : public std::logic_error {
  public:
    TAssertionFailure(const std::string& message, const std::string& sourceName, int lineNumber);

    const std::string& Message() const { return message_; }
    const std::string& SourceName() const { return sourceName_; }
    int LineNumber() const { return lineNumber_; }

  private:
    std::string message_;
    std::string sourceName_;
    int lineNumber_;
};

[[noreturn]] void RaiseAssertion(const std::string& message, const std::string& sourceName, int lineNumber);

}  // namespace MyLibrary
