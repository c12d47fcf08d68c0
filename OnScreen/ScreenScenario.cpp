#include "OnScreen/ScreenScenario.h"

#include <algorithm>
#include <array>

#include "HostEmulator/HostProgram/DocumentText.h"

namespace OnScreen {
namespace {

constexpr std::u16string_view kDocument = u"\t予定\t10時\r\n  会議  資料\r\n全角　空白\r\na \t　 b\r\n";

// Worked out by hand from the document above, column by column (a full-width character spans two).
constexpr std::array kRuns{
    ScreenRun{8, u" 予定 10時\r\n  会議  資料\r\n全角　空白\r\na  　 b\r\n"},
    ScreenRun{5, u"\t予定\t10時\r\n  会議\t資料\r\n全角　空白\r\na\t　 b\r\n"},
    ScreenRun{3, u"\t予定\t10時\r\n  会議  資料\r\n全角  空白\r\na \t   b\r\n"},
    ScreenRun{10, u" 予定 10時\r\n 会議 資料\r\n全角 空白\r\na b\r\n"},
    ScreenRun{6, u"    予定    10時\r\n  会議  資料\r\n全角　空白\r\na   　 b\r\n"},
};

}  // namespace

std::u16string_view ScreenDocument() {
    return kDocument;
}

std::span<const ScreenRun> ScreenRuns() {
    return kRuns;
}

MenuKeySteps SplitMenuKeys(std::span<const MenuKey> keys) {
    MenuKeySteps steps;
    if (keys.empty()) {
        return steps;
    }
    steps.highlight.push_back(keys.front());
    const auto rest = keys.subspan(1);
    const auto right = std::find(rest.begin(), rest.end(), MenuKey::Right);
    if (right == rest.end()) {
        steps.choose.assign(rest.begin(), rest.end());
    } else {
        steps.openSubmenu.assign(rest.begin(), right + 1);
        steps.choose.assign(right + 1, rest.end());
    }
    return steps;
}

std::u16string VisibleForEdit(std::u16string_view text) {
    return HostEmulator::VisibleWhiteSpace(text, HostEmulator::BreakMarks::CrLf);
}

}  // namespace OnScreen
