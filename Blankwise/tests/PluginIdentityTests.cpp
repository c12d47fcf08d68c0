#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Blankwise/ExportGuard.h"
#include "Blankwise/PluginIdentity.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {
namespace {

struct TSentMessage {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    friend bool operator==(const TSentMessage&, const TSentMessage&) = default;
};

struct TShownBox {
    std::string text;
    std::string caption;
    std::uint32_t style;
};

// Records what the plug-in asks of its host and answers with fixed values.
class RecordingHost final : public HostPort {
  public:
    std::intptr_t reply = 0;
    int answer = 0;
    bool failMessageBox = false;
    std::vector<TSentMessage> sent;
    std::vector<TShownBox> boxes;

    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        sent.push_back({message, wParam, lParam});
        return reply;
    }
    MenuHandle CreatePopupMenu() override { return 0; }
    void AppendMenu(MenuHandle, std::uint32_t, std::uintptr_t, std::string_view) override {}
    void DestroyMenu(MenuHandle) override {}
    TScreenPoint GetCursorPos() override { return {}; }
    std::intptr_t TrackPopupMenu(MenuHandle, std::uint32_t, TScreenPoint) override { return 0; }
    int MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) override {
        if (failMessageBox) {
            throw std::bad_alloc();
        }
        boxes.push_back({std::string(text), std::string(caption), style});
        return answer;
    }
};

TEST(PluginIdentity, NameAndVersionRequestsCopyIntoTheHostsBuffer) {
    constexpr std::uintptr_t kNegativeSize = static_cast<std::uintptr_t>(-1);
    struct Row {
        std::uint32_t request;
        std::uintptr_t size;
        bool withBuffer;
        std::intptr_t result;
        std::string buffer;  // all 16 bytes afterwards; '#' is untouched
    };
    const std::vector<Row> rows = {
        {RequestName, 16, true, 9, std::string("Blankwise\0######", 16)},
        {RequestName, 10, true, 9, std::string("Blankwise\0######", 16)},
        {RequestName, 9, true, 9, std::string("Blankwis\0#######", 16)},
        {RequestName, 5, true, 9, std::string("Blan\0###########", 16)},
        {RequestName, 1, true, 9, std::string("\0###############", 16)},
        {RequestName, 16, false, 9, std::string(16, '#')},
        // A size of 0 or below leaves the buffer alone: no terminator either.
        {RequestName, 0, true, 9, std::string(16, '#')},
        {RequestName, kNegativeSize, true, 9, std::string(16, '#')},
        {RequestVersion, 16, true, 13, std::string("Version 1.4.3\0##", 16)},
        {RequestVersion, 5, true, 13, std::string("Vers\0###########", 16)},
        {RequestVersion, 0, true, 13, std::string(16, '#')},
        {RequestVersion, 16, false, 13, std::string(16, '#')},
    };
    for (const Row& row : rows) {
        RecordingHost host;
        std::string buffer(16, '#');
        const std::intptr_t address = row.withBuffer ? reinterpret_cast<std::intptr_t>(buffer.data()) : 0;
        EXPECT_EQ(AnswerPlugInRequest(host, row.request, row.size, address), row.result)
            << row.request << " size " << row.size;
        EXPECT_EQ(buffer, row.buffer) << row.request << " size " << row.size;
        EXPECT_TRUE(host.sent.empty());
    }
}

TEST(PluginIdentity, UninstallAsksAndAnswersOneOnlyForYes) {
    const std::string question =
        "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81"
        "\x48";
    struct Row {
        int answer;
        std::intptr_t result;
    };
    for (const Row& row : std::vector<Row>{{6, 1}, {7, 0}, {2, 0}, {0, 0}}) {
        RecordingHost host;
        host.answer = row.answer;
        EXPECT_EQ(AnswerPlugInRequest(host, RequestUninstall, 0, 0), row.result) << row.answer;
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, question);
        EXPECT_EQ(host.boxes[0].caption, "Blankwise");
        EXPECT_EQ(host.boxes[0].style, 0x24u);
    }
}

TEST(PluginIdentity, EventsStoreTheValueThenRefreshWithTheStoredValue) {
    struct Step {
        std::uint32_t events;
        std::intptr_t value;
        std::optional<std::uintptr_t> refreshedWith;
    };
    const std::vector<Step> steps = {
        {0x0040, 7, 0},  // nothing stored yet
        {0x0440, 5, 5},  // stored first, then refreshed with the new value
        {0x0040, 9, 5},  {0x0400, 11, std::nullopt},
        {0x0040, 0, 11}, {~0x0440u, 13, std::nullopt},  // every other bit is ignored
        {0x0040, 0, 11}, {0x0440, -1, static_cast<std::uintptr_t>(-1)},
    };
    TEventRelay relay;
    for (const Step& step : steps) {
        RecordingHost host;
        relay.OnEvents(host, step.events, step.value);
        std::vector<TSentMessage> expected;
        if (step.refreshedWith) {
            expected.push_back({HostRefresh, *step.refreshedWith, 0});
        }
        EXPECT_EQ(host.sent, expected) << std::hex << step.events << " " << step.value;
    }
}

TEST(ExportGuard, PassesTheResultThroughWhenNothingFails) {
    RecordingHost host;
    EXPECT_EQ(GuardExport(&host, -7, [] { return 42; }), 42);
    bool ran = false;
    GuardExport(&host, [&ran] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(host.boxes.empty());
}

std::string Cp932(std::string_view utf8) {
    return MyLibrary::NativeTextPlatform().ToMultiByte(MyLibrary::Utf8ToUtf16Lenient(utf8));
}

// A failure inside an export used to reach the host; it is now shown and the export returns.
TEST(ExportGuard, FailureBecomesAnErrorBoxInTheSystemCodePage) {
    struct Row {
        void (*fail)();
        std::string text;
    };
    const std::vector<Row> rows = {
        {[] { MyLibrary::RaiseAssertion("例外", "Blankwise", 612); },
         "\x97\xE1\x8A\x4F (Blankwise, 612 \x8D\x73)"},
        // The runtime's own messages are English: the user sees a Japanese one instead.
        {[] { throw std::runtime_error("plain ASCII"); }, Cp932(kUnknownFailureMessage)},
        {[] { throw 3; },
         "\x95\x73\x96\xBE\x82\xC8\x83\x47\x83\x89\x81\x5B\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5"
         "\x82\xBD"},
        {[] { throw std::bad_alloc(); }, Cp932(kOutOfMemoryMessage)},
        {[] { std::vector<char>().reserve(std::vector<char>().max_size() + 1); }, Cp932(kOutOfMemoryMessage)},
    };
    for (const Row& row : rows) {
        RecordingHost host;
        EXPECT_EQ(GuardExport(&host, -7,
                              [&row] {
                                  row.fail();
                                  return 42;
                              }),
                  -7);
        GuardExport(&host, [&row] { row.fail(); });
        ASSERT_EQ(host.boxes.size(), 2u) << row.text;
        for (const TShownBox& box : host.boxes) {
            EXPECT_EQ(box.text, row.text);
            EXPECT_EQ(box.caption, "Blankwise");
            EXPECT_EQ(box.style, 0x10u);
        }
    }
}

TEST(ExportGuard, NothingEscapesWithoutReporterOrWhenReportingFails) {
    EXPECT_EQ(GuardExport(nullptr, 0, []() -> int { throw std::runtime_error("x"); }), 0);
    RecordingHost failing;
    failing.failMessageBox = true;
    EXPECT_EQ(GuardExport(&failing, 5, []() -> int { throw 1; }), 5);
}

}  // namespace
}  // namespace Blankwise
