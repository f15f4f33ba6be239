#include "tools/virtual-printer/preview/renderer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "alignment/test_print.h"
#include "tools/virtual-printer/preview/decoder.h"

namespace trevalune::preview {
namespace {

/// For each sample row of an alignment page: its label, and whether its reverse passes hit
/// exactly the columns of its forward passes.
std::vector<std::pair<std::string, bool>> alignmentRows(const Page& page) {
    std::vector<std::pair<std::string, bool>> rows;
    const auto& passes = page.passes();
    for (std::size_t i = 0; i + 3 < passes.size(); i += 4) {
        std::set<int> inked[2];  // forward, reverse
        for (std::size_t k = i; k < i + 4; ++k) {
            EXPECT_EQ(passes[k].reverse, k % 2 == 1);
            // The test sample drives the even pins; pin 2 prints on the pass's second row.
            for (int x = 0; x < kLineUnits; ++x) {
                if (page.dot(x, passes[k].row + 1)) inked[passes[k].reverse].insert(x);
            }
        }
        std::string label;  // the text printed on the row, spaces left out ("*31")
        for (const auto& mark : page.text()) {
            if (mark.row == passes[i].row) label += mark.text;
        }
        rows.emplace_back(label, !inked[0].empty() && inked[0] == inked[1]);
    }
    return rows;
}

TEST(Renderer, AlignmentTestShowsStraightBarsOnlyAtTheBestValue) {
    RenderOptions best31;
    best31.bestValues = {31, 24, 40};
    std::vector<Page> pages;
    Renderer renderer(best31, [&](const Page& page) { pages.push_back(page); });
    Decoder decoder([&](const Event& e) { renderer.apply(e); });
    for (const auto& document : buildAlignmentTest("31").documents()) decoder.feed(document);
    decoder.finish();
    renderer.finish();

    using Row = std::pair<std::string, bool>;
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_THAT(alignmentRows(pages[0]),
                ::testing::ElementsAre(Row{"28", false}, Row{"29", false}, Row{"30", false},
                                       Row{"*31", true}, Row{"32", false}, Row{"33", false},
                                       Row{"34", false}));
    // Value 33 is two columns off: its reverse passes sit 4 units to the right.
    EXPECT_EQ(pages[0].passes()[21].shift, 4);
}

}  // namespace
}  // namespace trevalune::preview
