#include <gtest/gtest.h>

#include <set>

#include "Blankwise/ConversionPipelines.h"
#include "OnScreen/ScreenScenario.h"

namespace OnScreen {
namespace {

using Blankwise::TMenuEntryKind;
using K = MenuKey;

TEST(ScreenScenario, SplitMenuKeysCutsAtHighlightAndSubmenu) {
    struct Row {
        std::vector<MenuKey> keys;
        std::vector<MenuKey> highlight, openSubmenu, choose;
    };
    const Row rows[] = {
        {{}, {}, {}, {}},
        {{K::Home, K::Return}, {K::Home}, {}, {K::Return}},
        {{K::Home, K::Down, K::Right, K::Return}, {K::Home}, {K::Down, K::Right}, {K::Return}},
        {{K::Home, K::Down, K::Down, K::Right, K::Down, K::Down, K::Return},
         {K::Home},
         {K::Down, K::Down, K::Right},
         {K::Down, K::Down, K::Return}},
        {{K::Home, K::Right}, {K::Home}, {K::Right}, {}},
        {{K::Escape}, {K::Escape}, {}, {}},
    };
    for (const Row& row : rows) {
        const MenuKeySteps steps = SplitMenuKeys(row.keys);
        EXPECT_EQ(steps.highlight, row.highlight);
        EXPECT_EQ(steps.openSubmenu, row.openSubmenu);
        EXPECT_EQ(steps.choose, row.choose);
    }
}

TEST(ScreenScenario, VisibleForEditMarksWhiteSpaceAndEndsLinesWithCrLf) {
    const struct {
        std::u16string_view text;
        std::u16string_view shown;
    } rows[] = {
        {u"", u""},           {u"a\tb c\u3000d", u"a→b·c□d"}, {u"x\r\ny\nz\rw", u"x\r\ny\r\nz\r\nw"},
        {u"\r", u"\r\n"},     {u"\n\r", u"\r\n\r\n"},         {u"\r\n\r\n", u"\r\n\r\n"},
        {u" \r\n", u"·\r\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(VisibleForEdit(row.text), row.shown);
    }
}

// The expectations were worked out by hand; the pipelines must agree with them.
TEST(ScreenScenario, ExpectedDocumentsAreTheWholeDocumentConverted) {
    for (const ScreenRun& run : ScreenRuns()) {
        EXPECT_EQ(Blankwise::ConvertSelection(run.id, ScreenDocument(), 0), run.expected) << "id " << run.id;
        EXPECT_NE(run.expected, ScreenDocument()) << "id " << run.id << " would show no change";
    }
}

TEST(ScreenScenario, RunsOpenEachSubmenuAndChooseATopLevelItem) {
    std::set<std::size_t> submenusOpened;
    bool topLevel = false;
    const auto menu = Blankwise::ConversionMenu();
    for (const ScreenRun& run : ScreenRuns()) {
        for (std::size_t i = 0; i < menu.size(); ++i) {
            if (menu[i].kind == TMenuEntryKind::Item && menu[i].id == run.id) {
                topLevel = true;
            }
            for (const auto& entry : menu[i].submenu) {
                if (entry.kind == TMenuEntryKind::Item && entry.id == run.id) {
                    submenusOpened.insert(i);
                }
            }
        }
    }
    EXPECT_EQ(submenusOpened.size(), 4u);
    EXPECT_TRUE(topLevel);
}

}  // namespace
}  // namespace OnScreen
