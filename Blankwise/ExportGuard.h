#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "Blankwise/HostPort.h"
#include "MyLibrary/StringUnit/Assertion.h"

namespace Blankwise {

// What the user is shown for a failure that carries no message of its own, and for running out of
// memory (the library's own messages are English and would mean nothing to the user).
inline constexpr std::string_view kUnknownFailureMessage = "不明なエラーが発生しました";
inline constexpr std::string_view kOutOfMemoryMessage = "メモリが足りないため、変換できませんでした";

// Shows a failure that ended an export: a message box owned by the host window with the UTF-8
// message in the system code page, caption "Blankwise", MB_OK | MB_ICONERROR. Never throws; when
// even that fails, nothing is shown.
void ReportExportFailure(HostPort& host, std::string_view utf8Message) noexcept;

// Runs the body of an export so that no exception reaches the host. A failure is shown to the
// user through reporter (nullptr: not shown) and the export returns fallback instead.
template <class Result, class Body>
Result GuardExport(HostPort* reporter, Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const MyLibrary::TAssertionFailure& failure) {
        if (reporter != nullptr) {
            ReportExportFailure(*reporter, failure.what());
        }
    } catch (const std::bad_alloc&) {
        if (reporter != nullptr) {
            ReportExportFailure(*reporter, kOutOfMemoryMessage);
        }
    } catch (const std::length_error&) {
        if (reporter != nullptr) {
            ReportExportFailure(*reporter, kOutOfMemoryMessage);
        }
    } catch (...) {
        if (reporter != nullptr) {
            ReportExportFailure(*reporter, kUnknownFailureMessage);
        }
    }
    return fallback;
}

// The same for an export without a result.
template <class Body>
void GuardExport(HostPort* reporter, Body&& body) noexcept {
    GuardExport(reporter, false, [&body] {
        std::forward<Body>(body)();
        return true;
    });
}

}  // namespace Blankwise
