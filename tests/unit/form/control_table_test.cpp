#include "form/control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "tests/support/control_print.h"

namespace trevalune {
namespace {

using Names = std::vector<Control>;

TEST(ControlTable, OnlyTheControlsTheOperatorSeesTakeFocusInVisualOrder) {
    EXPECT_EQ(focusOrder(kClientWidthTwips, kClientHeightTwips),
              (Names{Control::Combo1, Control::Combo2, Control::Command18, Control::Command12,
                     Control::Command5, Control::Command10, Control::Command11, Control::Command1,
                     Control::Command17}));

    // Enlarged to the full extent every focusable control joins, but Text1: it lies below the
    // lower edge of its frame.
    const Names order = focusOrder(100000, 100000);
    Names focusable;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind != ControlKind::Frame && c.kind != ControlKind::Label &&
            c.kind != ControlKind::Timer && c.id != Control::Text1) {
            focusable.push_back(c.id);
        }
    }
    EXPECT_TRUE(
        std::is_permutation(order.begin(), order.end(), focusable.begin(), focusable.end()));
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end(), [](auto a, auto b) {
        const Twips ga = absoluteGeometry(*findControlSpec(a));
        const Twips gb = absoluteGeometry(*findControlSpec(b));
        return ga.top != gb.top ? ga.top < gb.top : ga.left < gb.left;
    }));
}

TEST(ControlTable, TwipsBecomePixelsAtTheSystemsDpiAndBackRoundedAlike) {
    const struct {
        int twips, dpi, pixels;
    } cases[] = {{6810, 96, 454}, {7, 96, 0}, {8, 96, 1}, {2535, 144, 254}, {495, 192, 66}};
    for (const auto& c : cases) {
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
    EXPECT_EQ(pixelsToTwips(454, 96), 6810);
    EXPECT_EQ(pixelsToTwips(211, 120), 2532);  // 2532.0 exactly
    EXPECT_EQ(pixelsToTwips(1, 144), 10);
    EXPECT_EQ(pixelsToTwips(1, 192), 8);  // 7.5 rounds up
}

TEST(ControlTable, EveryControlHasItsDesignName) {
    for (const ControlSpec& c : controlTable()) EXPECT_EQ(controlNamed(controlName(c.id)), c.id);
    EXPECT_EQ(controlName(Control::Command18), "Command18");
    EXPECT_EQ(controlNamed("nothing"), std::nullopt);
    EXPECT_EQ(findControlSpec(Control::Form1), nullptr);
}

}  // namespace
}  // namespace trevalune
