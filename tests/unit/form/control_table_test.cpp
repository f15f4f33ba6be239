#include "form/control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace trevalune {
namespace {

using Names = std::vector<std::string_view>;

TEST(ControlTable, AtTheDesignSizeOnlyTheVisibleControlsTakeFocusInVisualOrder) {
    EXPECT_EQ(focusOrder(kClientWidthTwips, kClientHeightTwips),
              (Names{"Combo1", "Combo2", "Command18", "Command12", "Command5", "Command10",
                     "Command11", "Command1", "Command17"}));
}

TEST(ControlTable, EnlargedToTheFullExtentEveryFocusableControlJoinsButText1) {
    int width = 0;
    int height = 0;
    for (const ControlSpec& c : controlTable()) {
        const Twips g = absoluteGeometry(c);
        width = std::max(width, g.left + g.width);
        height = std::max(height, g.top + g.height);
    }
    const Names order = focusOrder(width, height);
    Names focusable;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind != ControlKind::Frame && c.kind != ControlKind::Label &&
            c.kind != ControlKind::Timer && c.name != "Text1") {
            focusable.push_back(c.name);
        }
    }
    EXPECT_EQ(order.size(), focusable.size());
    EXPECT_TRUE(
        std::is_permutation(order.begin(), order.end(), focusable.begin(), focusable.end()));
    // Text1 lies below the lower edge of its frame: the operator never sees it.
    EXPECT_EQ(std::find(order.begin(), order.end(), "Text1"), order.end());
    EXPECT_FALSE(fullyVisible(*findControlSpec("Text1"), 100000, 100000));
    // Still top to bottom, then left to right.
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end(), [](auto a, auto b) {
        const Twips ga = absoluteGeometry(*findControlSpec(a));
        const Twips gb = absoluteGeometry(*findControlSpec(b));
        return ga.top != gb.top ? ga.top < gb.top : ga.left < gb.left;
    }));
}

TEST(ControlTable, TwipsBecomePixelsAtTheSystemsDpi) {
    const struct {
        int twips, dpi, pixels;
    } cases[] = {{6810, 96, 454}, {2535, 96, 169},  {15, 96, 1},      {7, 96, 0},
                 {8, 96, 1},      {6810, 144, 681}, {2535, 144, 254}, {495, 192, 66}};
    for (const auto& c : cases) {
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
}

}  // namespace
}  // namespace trevalune
