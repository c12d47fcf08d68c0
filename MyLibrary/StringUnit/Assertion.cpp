#include "MyLibrary/StringUnit/Assertion.h"

namespace MyLibrary {
namespace {

std::string FormatAssertion(const std::string& message, const std::string& sourceName, int lineNumber) {
    return message + " (" + sourceName + ", " + std::to_string(lineNumber) + " 行)";
}

}  // namespace

TAssertionFailure::TAssertionFailure(const std::string& message, const std::string& sourceName,
                                     int lineNumber)
    : std::logic_error(FormatAssertion(message, sourceName, lineNumber)),
      message_(message),
      sourceName_(sourceName),
      lineNumber_(lineNumber) {}

void RaiseAssertion(const std::string& message, const std::string& sourceName, int lineNumber) {
    throw TAssertionFailure(message, sourceName, lineNumber);
}

}  // namespace MyLibrary
