#include "form/window_rules.h"

#include <gtest/gtest.h>

#include <string_view>

#include "form/control_table.h"

namespace trevalune {
namespace {

TEST(WindowRules, EnterPressesAButtonAndArrowsGoRoundTheOptionsOfTheirFrame) {
    const struct {
        std::string_view focused;
        FormKey key;
        std::string_view clicked;
    } cases[] = {
        {"Command18", FormKey::Enter, "Command18"},
        {"Command15", FormKey::Enter, "Command15"},
        {"Text2", FormKey::Enter, ""},  // a new line in the command box
        {"Combo1", FormKey::Enter, ""},
        {"Optgs", FormKey::Enter, ""},
        {"Optgs", FormKey::Right, "Optcgs"},
        {"Optcgs", FormKey::Down, "Optcgm"},
        {"Optcgm", FormKey::Down, "Optgs"},
        {"Optgs", FormKey::Up, "Optcgm"},
        {"Optcgm", FormKey::Left, "Optcgs"},
        {"Command18", FormKey::Down, ""},
        {"Check1", FormKey::Down, ""},
        {"nothing", FormKey::Enter, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(controlClickedByKey(c.focused, c.key), c.clicked)
            << c.focused << " key " << static_cast<int>(c.key);
    }
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
