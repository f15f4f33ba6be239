#include "form/window_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "form/control_table.h"
#include "tests/support/control_print.h"

namespace trevalune {
namespace {

TEST(WindowRules, EnterPressesAButtonAndArrowsGoRoundTheOptionsOfTheirFrame) {
    const struct {
        Control focused;
        FormKey key;
        std::optional<Control> clicked;
    } cases[] = {
        {Control::Command18, FormKey::Enter, Control::Command18},
        {Control::Command15, FormKey::Enter, Control::Command15},
        {Control::Text2, FormKey::Enter, std::nullopt},  // a new line in the command box
        {Control::Combo1, FormKey::Enter, std::nullopt},
        {Control::Optgs, FormKey::Enter, std::nullopt},
        {Control::Optgs, FormKey::Right, Control::Optcgs},
        {Control::Optcgs, FormKey::Down, Control::Optcgm},
        {Control::Optcgm, FormKey::Down, Control::Optgs},
        {Control::Optgs, FormKey::Up, Control::Optcgm},
        {Control::Optcgm, FormKey::Left, Control::Optcgs},
        {Control::Command18, FormKey::Down, std::nullopt},
        {Control::Check1, FormKey::Down, std::nullopt},
        {Control::Form1, FormKey::Enter, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(controlClickedByKey(c.focused, c.key), c.clicked)
            << controlName(c.focused) << " key " << static_cast<int>(c.key);
    }
}

TEST(WindowRules, TheFocusStaysWhereItCanElseGoesToTheFirstEnabledControl) {
    const std::vector<Control> order = {Control::Combo1, Control::Command18, Control::Command5};
    const auto enabled = [](Control c) { return c != Control::Combo1; };
    EXPECT_EQ(focusAfterLayout(Control::Command5, order, enabled), Control::Command5);
    EXPECT_EQ(focusAfterLayout(Control::Command8, order, enabled), Control::Command18);
    EXPECT_EQ(focusAfterLayout(std::nullopt, order, enabled), Control::Command18);
    EXPECT_EQ(focusAfterLayout(Control::Command8, {}, enabled), std::nullopt);
}

TEST(WindowRules, TheClientAreaScrollsOnlyWhenEnlargedOnAScreenTooSmallForTheForm) {
    // The bottom row ends at 11415 twips, Frame6 at 7215; 120 twips of margin round them.
    EXPECT_EQ(fullClientTwips().width, 7335);
    EXPECT_EQ(fullClientTwips().height, 11535);
    const struct {
        Extent client, workArea;
        int dpi;
        bool horizontal, vertical;
        Extent reachable;
    } cases[] = {
        {{454, 169}, {1366, 728}, 96, false, false, {6810, 2535}},  // design size: as ever
        {{568, 211}, {1024, 700}, 120, false, false, {6816, 2532}},
        {{481, 700}, {1366, 728}, 96, false, true, {7215, 11535}},    // a laptop, enlarged
        {{454, 700}, {1366, 728}, 96, false, true, {6810, 11535}},    // taller, not wider
        {{489, 769}, {1920, 1040}, 96, false, false, {7335, 11535}},  // all of it shows
        {{600, 700}, {1920, 1040}, 96, false, false, {9000, 10500}},  // a large screen
        {{400, 700}, {400, 728}, 96, false, true, {6000, 11535}},     // narrower than designed
        {{460, 600}, {460, 600}, 96, true, true, {7335, 11535}},
    };
    for (const auto& c : cases) {
        const ClientLayout layout = clientLayout(c.client, c.workArea, c.dpi);
        SCOPED_TRACE(::testing::Message() << c.client.width << "x" << c.client.height << " on "
                                          << c.workArea.width << "x" << c.workArea.height);
        EXPECT_EQ(layout.maximum.height, c.workArea.height);
        EXPECT_EQ(layout.scrollsHorizontally, c.horizontal);
        EXPECT_EQ(layout.scrollsVertically, c.vertical);
        EXPECT_EQ(layout.reachable.width, c.reachable.width);
        EXPECT_EQ(layout.reachable.height, c.reachable.height);
    }
}

TEST(WindowRules, ScrollingShowsAControlMovingAsLittleAsPossible) {
    const struct {
        int position, page, start, length, expected;
    } cases[] = {{0, 500, 100, 30, 0},     {0, 500, 720, 33, 253},   {300, 500, 100, 30, 100},
                 {300, 500, 790, 10, 300}, {300, 500, 795, 10, 305}, {0, 20, 100, 30, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(scrollToShow(c.position, c.page, c.start, c.length), c.expected) << c.start;
    }
}

}  // namespace
}  // namespace trevalune
