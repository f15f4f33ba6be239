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

std::string streamOf(const Timeline& timeline) {
    std::string out;
    for (const auto& document : timeline.documents()) out += document;
    return out;
}

/// Decodes and draws a whole stream; returns the finished pages.
std::vector<Page> render(const std::string& stream, RenderOptions options = {}) {
    std::vector<Page> pages;
    Renderer renderer(options, [&](const Page& page) { pages.push_back(page); });
    Decoder decoder([&](const Event& e) { renderer.apply(e); });
    decoder.feed(stream);
    decoder.finish();
    renderer.finish();
    return pages;
}

/// The units with ink in a dot row.
std::set<int> inkedUnits(const Page& page, int row) {
    std::set<int> out;
    for (int x = 0; x < kLineUnits; ++x) {
        if (page.dot(x, row)) out.insert(x);
    }
    return out;
}

/// The text printed on a line, spaces left out ("*31").
std::string textOnRow(const Page& page, int row) {
    std::string out;
    for (const auto& mark : page.text()) {
        if (mark.row == row) out += mark.text;
    }
    return out;
}

/// For each sample row of an alignment page: its label, and whether its reverse passes hit
/// exactly the columns of its forward passes.
std::vector<std::pair<std::string, bool>> alignmentRows(const Page& page) {
    std::vector<std::pair<std::string, bool>> rows;
    const auto& passes = page.passes();
    for (std::size_t i = 0; i + 3 < passes.size(); i += 4) {
        std::set<int> forward, reverse;
        for (std::size_t k = i; k < i + 4; ++k) {
            // The test sample drives the even pins; pin 2 prints on the pass's second row.
            const auto units = inkedUnits(page, passes[k].row + 1);
            EXPECT_FALSE(units.empty());
            (passes[k].reverse ? reverse : forward).insert(units.begin(), units.end());
            EXPECT_EQ(passes[k].reverse, k % 2 == 1);
        }
        rows.emplace_back(textOnRow(page, passes[i].row), forward == reverse);
    }
    return rows;
}

TEST(Renderer, AlignmentTestShowsStraightBarsOnlyAtTheBestValue) {
    const std::string stream = streamOf(buildAlignmentTest("31"));
    using Row = std::pair<std::string, bool>;

    RenderOptions best31;
    best31.bestValues = {31, 24, 40};
    auto pages = render(stream, best31);
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
