#include <gtest/gtest.h>

#include "rowreader/sideways.h"
#include "tools/row-pages/row_pages.h"

namespace trevalune::rowreader {
namespace {

TEST(Sideways, QuarterTurnsMovePixelsAndSwapTheResolutions) {
    const GreyImage picture{3, 2, {0, 1, 2, 3, 4, 5}, 300, 600};  // 0 1 2 / 3 4 5
    const GreyImage clockwise = buildQuarterTurn(picture, 1);
    EXPECT_EQ(clockwise.pixels, (std::vector<std::uint8_t>{3, 0, 4, 1, 5, 2}));
    EXPECT_EQ(buildQuarterTurn(picture, 3).pixels, (std::vector<std::uint8_t>{2, 5, 1, 4, 0, 3}));
    EXPECT_EQ(buildQuarterTurn(picture, 2).pixels, (std::vector<std::uint8_t>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(std::make_pair(clockwise.width, clockwise.height), std::make_pair(2, 3));
    EXPECT_EQ(std::make_pair(clockwise.dotsPerInch, clockwise.verticalDotsPerInch),
              std::make_pair(600.0, 300.0));
}

TEST(Sideways, TurnedOnlyWhereNoRowWasFound) {
    const auto reading = [](Doubt doubt, std::size_t rows) {
        ModeReading r;
        r.doubt = doubt;
        r.rows.resize(rows);
        return r;
    };
    const ModeReading none = reading(Doubt::NoRows, 0), partly = reading(Doubt::NoRows, 1),
                      coarse = reading(Doubt::TooCoarse, 3), found = reading(Doubt::None, 5);
    struct Case {
        std::vector<ModeReading> upright, clockwise, anticlockwise;
        int turns;
    };
    const Case cases[] = {
        {{none}, {found}, {found}, 1},         {{}, {found}, {}, 1},
        {{none}, {none}, {found}, 3},          {{none, none}, {}, {none}, 0},
        {{coarse}, {found}, {found}, 0},       {{partly}, {found}, {found}, 0},
        {{none, coarse}, {found}, {found}, 0},
    };
    const GreyImage picture{3, 2, {0, 1, 2, 3, 4, 5}};
    for (const Case& c : cases) {
        const TurnedReading r = readAnyWayUp(picture, [&](const GreyImage& p) {
            return p.width == 3 ? c.upright : p.pixels[0] == 3 ? c.clockwise : c.anticlockwise;
        });
        EXPECT_EQ(r.quarterTurns, c.turns);
        EXPECT_EQ(r.turned.has_value(), c.turns != 0);
        EXPECT_EQ(r.readings.size(), (c.turns == 0   ? c.upright
                                      : c.turns == 1 ? c.clockwise
                                                     : c.anticlockwise)
                                         .size());
    }
}

TEST(Sideways, PagesScannedSidewaysAreRead) {
    RowPageMaker maker;
    for (const int turns : {1, 3}) {
        const RowPage page = maker.build({}, {.quarterTurns = turns});
        ReadOptions printed;
        printed.printed = page.printed;
        const TurnedReading r = readRowsAnyWayUp(page.image, printed);
        ASSERT_EQ(r.readings.size(), 1u);
        EXPECT_NE(r.quarterTurns, 0);
        EXPECT_EQ(r.readings[0].straight, 20);
    }
}

}  // namespace
}  // namespace trevalune::rowreader
