#include "form/control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace trevalune {
namespace {

using Names = std::vector<std::string_view>;

TEST(ControlTable, OnlyTheControlsTheOperatorSeesTakeFocusInVisualOrder) {
    EXPECT_EQ(focusOrder(kClientWidthTwips, kClientHeightTwips),
              (Names{"Combo1", "Combo2", "Command18", "Command12", "Command5", "Command10",
                     "Command11", "Command1", "Command17"}));

    // Enlarged to the full extent every focusable control joins, but Text1: it lies below the
    // lower edge of its frame.
    const Names order = focusOrder(100000, 100000);
    Names focusable;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind != ControlKind::Frame && c.kind != ControlKind::Label &&
            c.kind != ControlKind::Timer && c.name != "Text1") {
            focusable.push_back(c.name);
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

TEST(ControlTable, TwipsBecomePixelsAtTheSystemsDpi) {
    const struct {
        int twips, dpi, pixels;
    } cases[] = {{6810, 96, 454}, {7, 96, 0}, {8, 96, 1}, {2535, 144, 254}, {495, 192, 66}};
    for (const auto& c : cases) {
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
}

}  // namespace
}  // namespace trevalune
