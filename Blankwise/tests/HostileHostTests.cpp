#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Blankwise/ConversionCommand.h"
#include "Blankwise/ConversionPipelines.h"
#include "Blankwise/ExportGuard.h"
#include "Blankwise/tests/EmulatedHost.h"

namespace Blankwise {
namespace {

using HostEmulator::EscapeText;
using HostEmulator::Hostility;
using HostEmulator::Position;
using Testing::EmulatedHost;

constexpr HostEmulator::ViewBlock kView{1, 2, 3, 4, 5, 6, 7, 8};
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

// Mixed breaks, tabs, runs of both kinds of space: every conversion changes something in it.
constexpr std::u16string_view kDocument = u"  a\r\n\tb   c\rd\u3000\u3000e\n\t f  ";

struct Scene {
    const char* name;
    std::optional<std::pair<Position, Position>> selection;  // none: the whole document is converted
};

const Scene kScenes[] = {
    {"forward selection from the middle of a line", std::pair{Position{1, 0}, Position{2, 2}}},
    {"backward selection", std::pair{Position{3, 3}, Position{0, 1}}},
    {"whole document", std::nullopt},
};

// The command run with the given conversion over the scene, the host lying as told. Whatever the
// lies, the command returns normally, hands the view back, resumes repainting, leaves no menu
// behind and ends after a bounded conversation.
EmulatedHost RunCommand(const Scene& scene, int id, const Hostility& hostility) {
    EmulatedHost host(kDocument);
    if (scene.selection) {
        host.Select(scene.selection->first, scene.selection->second);
    } else {
        host.Select({1, 1}, {1, 1});
    }
    host.model.SetView(kView);
    host.port.ScriptMenuChoice(id);
    host.model.SetHostility(hostility);
    EXPECT_NO_THROW(RunConversionCommand(host.port));
    EXPECT_TRUE(host.model.Redrawing());
    EXPECT_EQ(host.model.View(), kView);
    EXPECT_EQ(host.port.LiveMenus(), 0);
    EXPECT_LT(host.port.Transcript().size(), 200u);
    return host;
}

template <typename CheckResult>
void ForEachRun(std::initializer_list<std::pair<const char*, Hostility>> rows, CheckResult check) {
    for (const auto& [name, hostility] : rows) {
        for (const Scene& scene : kScenes) {
            for (int id = kFirstConversionId; id <= kLastConversionId; ++id) {
                SCOPED_TRACE(std::string(name) + ", " + scene.name + ", conversion " + std::to_string(id));
                const EmulatedHost faithful = RunCommand(scene, id, {});
                const EmulatedHost hostile = RunCommand(scene, id, hostility);
                check(scene, faithful, hostile);
            }
        }
    }
}

bool Inserted(const EmulatedHost& host) {
    for (const HostEmulator::LogEntry& entry : host.model.Log()) {
        if (entry.message == HostEmulator::HostInsertText) {
            return true;
        }
    }
    return false;
}

TEST(HostileHost, LargerSizesAndMissingZerosGiveTheFaithfulResult) {
    ForEachRun({{"one larger", {.sizeSkew = 1}},
                {"far larger", {.sizeSkew = 5000}},
                {"no terminating zero", {.noTerminatingZero = true}},
                {"larger, no terminating zero", {.sizeSkew = 7, .noTerminatingZero = true}},
                {"exactly the text, no room for the zero", {.sizeSkew = -1}}},
               [](const Scene&, const EmulatedHost& faithful, const EmulatedHost& hostile) {
                   EXPECT_EQ(EscapeText(hostile.model.Text()), EscapeText(faithful.model.Text()));
                   EXPECT_EQ(hostile.model.AnchorOffset(), faithful.model.AnchorOffset());
                   EXPECT_EQ(hostile.model.CaretOffset(), faithful.model.CaretOffset());
               });
}

TEST(HostileHost, SizesOfZeroOrBelowConvertNothing) {
    ForEachRun({{"zero", {.fixedSize = 0}},
                {"minus one", {.fixedSize = -1}},
                {"most negative", {.fixedSize = std::numeric_limits<std::intptr_t>::min()}},
                {"skewed below zero", {.sizeSkew = -1000}}},
               [](const Scene&, const EmulatedHost& faithful, const EmulatedHost& hostile) {
                   EXPECT_NE(faithful.model.Text(), kDocument);
                   EXPECT_EQ(hostile.model.Text(), kDocument);
                   EXPECT_FALSE(Inserted(hostile));
               });
}

// The text read is cut short: a part of the selection is converted, and the document around the
// selection stays as it was.
TEST(HostileHost, SmallerSizesConvertAPartOfTheSelectionOnly) {
    int convertedLess = 0;
    ForEachRun(
        {{"two smaller", {.sizeSkew = -2}},
         {"five smaller", {.sizeSkew = -5}},
         {"nine smaller, no terminating zero", {.sizeSkew = -9, .noTerminatingZero = true}}},
        [&convertedLess](const Scene& scene, const EmulatedHost& faithful, const EmulatedHost& hostile) {
            convertedLess += hostile.model.Text() != faithful.model.Text() ? 1 : 0;
            if (!scene.selection) {
                return;
            }
            const HostEmulator::HostModel original(kDocument);
            const std::size_t first = original.OffsetOf(scene.selection->first);
            const std::size_t second = original.OffsetOf(scene.selection->second);
            const std::u16string_view before = kDocument.substr(0, std::min(first, second));
            const std::u16string_view after = kDocument.substr(std::max(first, second));
            const std::u16string& text = hostile.model.Text();
            EXPECT_TRUE(text.starts_with(before) && text.ends_with(after) &&
                        text.size() >= before.size() + after.size())
                << EscapeText(text);
        });
    EXPECT_GT(convertedLess, 0);
}

// Nothing can be promised about the document when the host measures one text and hands over
// another, or reports positions it does not have; the command must only come back unharmed.
TEST(HostileHost, SelectionChangedBetweenSizeAndFillOrPositionsBeyondTheDocumentAreSurvived) {
    ForEachRun({{"whole document selected after the size query",
                 {.selectionAfterSizeQuery = std::pair{Position{0, 0}, Position{kMaxInt, kMaxInt}}}},
                {"nothing selected after the size query",
                 {.selectionAfterSizeQuery = std::pair{Position{2, 1}, Position{2, 1}}}},
                {"backward selection after the size query",
                 {.selectionAfterSizeQuery = std::pair{Position{1, 2}, Position{1, 0}}}},
                {"columns beyond the line", {.positionSkew = {1000, 0}}},
                {"lines beyond the document", {.positionSkew = {0, 1000}}},
                {"positions below zero", {.positionSkew = {-3, -3}}},
                {"largest positions", {.positionSkew = {kMaxInt, kMaxInt}}},
                {"smallest positions", {.positionSkew = {kMinInt, kMinInt}}}},
               [](const Scene&, const EmulatedHost&, const EmulatedHost&) {});
}

// The host moved its selection from "a b" to the whole document after the text was read for the
// conversion and before the write-back read it again: the conversion of "a b" used to be written
// over the whole new selection, and "cd ef" was lost. Nothing is written now.
TEST(HostileHost, SelectionMovedBeforeTheWriteBackKeepsTheDocument) {
    constexpr std::u16string_view kText = u"a b\ncd ef";
    for (const int id : {2, 6, 12, 15}) {
        EmulatedHost host(kText);
        host.Select({0, 0}, {3, 0});
        host.port.ScriptMenuChoice(id);
        int selectedTextSizeQueries = 0;
        host.port.SetInterceptor(
            [&host, &selectedTextSizeQueries](std::uint32_t message, std::uintptr_t,
                                              std::intptr_t lParam) -> std::optional<std::intptr_t> {
                if (message == HostGetSelText && lParam == 0 && ++selectedTextSizeQueries == 2) {
                    host.model.Select({0, 0}, {5, 1});
                }
                return std::nullopt;
            });
        EXPECT_NO_THROW(RunConversionCommand(host.port));
        EXPECT_EQ(selectedTextSizeQueries, 2);
        EXPECT_EQ(host.model.Text(), kText) << "conversion " << id;
        EXPECT_TRUE(host.model.Redrawing());
    }
}

// A size no process of 32 bits can hold fails the command with an exception: the export's guard
// reports it to the user, and repainting is resumed on the way out.
TEST(HostileHost, SizeBeyondTheAddressSpaceIsReportedNotCrashed) {
    if (sizeof(void*) != 4) {
        GTEST_SKIP() << "a 64-bit process would allocate the 4 GiB";
    }
    EmulatedHost host(kDocument);
    host.Select({0, 0}, {3, 0});
    host.port.ScriptMenuChoice(6);
    host.model.SetHostility({.fixedSize = std::numeric_limits<std::intptr_t>::max()});
    GuardExport(&host.port, [&host] { RunConversionCommand(host.port); });
    EXPECT_EQ(host.port.MessageBoxes().size(), 1u);
    EXPECT_TRUE(host.model.Redrawing());
    EXPECT_EQ(host.model.Text(), kDocument);
}

}  // namespace
}  // namespace Blankwise
