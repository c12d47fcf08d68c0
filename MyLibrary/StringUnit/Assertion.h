#pragma once

#include <stdexcept>
#include <string>
#include <utility>

// Checks a state the code holds cannot happen, in every build: where it happens anyway, the
// assertion is raised with the condition, the file and the line (TAssertionFailure below), which the
// plug-in's guard shows in its error box and the command-line tool reports as an internal error.
#define BLANKWISE_ASSERT(condition)     \
    ((condition) ? static_cast<void>(0) \
                 : ::MyLibrary::RaiseAssertion("assertion failed: " #condition, __FILE__, __LINE__))

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

// value as the integer type To, asserted to fit: a cast that would lose it raises the assertion.
template <typename To, typename From>
constexpr To Narrowed(From value) {
    BLANKWISE_ASSERT(std::in_range<To>(value));
    return static_cast<To>(value);
}

}  // namespace MyLibrary
