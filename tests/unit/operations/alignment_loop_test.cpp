#include <gtest/gtest.h>

#include <cmath>

#include "operations/alignment_loop.h"

namespace trevalune {
namespace {

/// A page printed around `centre` whose best value is `best`: a column a value, the reader's
/// straight row where the best lies among the rows.
AlignReading pageOf(int centre, double best, double noise = 0.05) {
    AlignReading page;
    for (int v = centre - 2; v <= centre + 2; ++v) page.rows.push_back({v, true, v - best, noise});
    if (std::abs(best - centre) <= 2.3 && std::abs(best - std::round(best)) < 0.3)
        page.straight = static_cast<int>(std::round(best));
    page.predicted = best;
    return page;
}

using Kind = AlignStep::Kind;

// Saved only where a page confirms the value it was printed around; else the next page is
// printed around the straight row or the predicted value; a page that decides nothing is
// printed once more, then the technician is asked (or align stops).
TEST(AlignmentLoop, SavesOnlyAConfirmedValue) {
    AlignReading cut = pageOf(20, 20);
    cut.rows[4].whole = false;  // the edge cuts the row beyond: not a confirmation
    AlignReading oneSide = pageOf(20, 20);
    oneSide.rows[1].offsetColumns = 0.5;  // both neighbours on one side of straight
    AlignReading neighbourStraight = oneSide;
    neighbourStraight.rows[1].offsetColumns = 0.1;  // within two noise of straight
    AlignReading nothing;                           // the reader cannot tell
    nothing.rows = pageOf(20, 20).rows;
    const struct {
        std::vector<AlignReading> pages;
        bool canAsk;
        std::vector<AlignStep> steps;
    } cases[] = {
        {{pageOf(20, 20)}, false, {{Kind::Save, 20}}},
        {{pageOf(20, 22), pageOf(22, 22)}, false, {{Kind::PrintAround, 22}, {Kind::Save, 22}}},
        {{pageOf(20, 30.2), pageOf(30, 30.2)}, false, {{Kind::PrintAround, 30}, {Kind::Save, 30}}},
        {{pageOf(20, 1)}, false, {{Kind::PrintAround, 5}}},  // kept to values that print rows
        {{cut, cut}, true, {{Kind::PrintAround, 20}, {Kind::Ask, 20}}},
        {{oneSide, oneSide}, false, {{Kind::PrintAround, 20}, {Kind::Stop, 20}}},
        {{neighbourStraight}, false, {{Kind::Save, 20}}},
        {{nothing, pageOf(20, 20)}, false, {{Kind::PrintAround, 20}, {Kind::Save, 20}}},
        {{nothing, nothing}, false, {{Kind::PrintAround, 20}, {Kind::Stop, 20}}},
        {{pageOf(20, 24), pageOf(24, 28), pageOf(28, 32)},
         true,
         {{Kind::PrintAround, 24}, {Kind::PrintAround, 28}, {Kind::Ask, 28}}},  // at most 3
    };
    for (const auto& c : cases) {
        AlignmentLoop loop(20, c.canAsk, 3);
        std::vector<AlignStep> steps;
        for (const AlignReading& page : c.pages) steps.push_back(loop.next(page));
        EXPECT_EQ(steps, c.steps) << c.pages.size() << " pages, first "
                                  << (c.pages[0].predicted ? *c.pages[0].predicted : -1);
    }
}

}  // namespace
}  // namespace trevalune
