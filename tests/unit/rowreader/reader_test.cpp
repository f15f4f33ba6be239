#include <gtest/gtest.h>

#include <algorithm>

#include "rowreader/reader.h"
#include "rowreader/straight_row.h"
#include "tools/row-pages/row_pages.h"

namespace trevalune::rowreader {
namespace {

std::vector<RowReading> rowsOf(int first, std::vector<double> offsets, double noise = 0.05) {
    std::vector<RowReading> rows;
    for (double d : offsets) rows.push_back({first++, false, false, d, noise});
    return rows;
}

TEST(StraightRow, JudgesTheCrossingOfTheOffsets) {
    constexpr double kHighDensityUnits = 2880.0 / 1872;
    struct Case {
        std::vector<double> offsets;
        Doubt doubt;
        std::optional<int> straight;
        std::optional<int> outOfStep = {};
        double units = 1;
        std::vector<int> skip = {};  ///< rows not measured
    };
    const Case cases[] = {
        {{-2, -1, 0, 1, 2}, Doubt::None, 22},
        {{2, 1, 0, -1, -2}, Doubt::None, 22},  // passes the other way round
        // high density's column is not a whole number of the printer's units
        {{-2.6, -1.3, 0, 0.65, 1.95}, Doubt::None, 22, {}, kHighDensityUnits},
        {{-4, -3, -2, -1, 0}, Doubt::None, 24},  // the end row
        {{1, 2, 3, 4, 5}, Doubt::NoneStraight, {}},
        {{-1.5, -0.5, 0.5, 1.5, 2.5}, Doubt::TooClose, {}},       // the best lies between two rows
        {{-1.45, -0.45, 0.55, 1.55, 2.55}, Doubt::TooClose, {}},  // too close to half-way
        {{0.1, 0.05, 0, 0.05, 0.1}, Doubt::TooClose, {}},         // no step at all
        {{0.5, 1.5, 2.5, 3.5, 4.5}, Doubt::TooClose, {}},         // just beyond the end: not sure
        // a crease moved the paper under the middle row: never a straight row
        {{-3, -2, 0.2, 0, 1}, Doubt::OutOfStep, {}, 22},
        {{-2, 1, 0, 1, 2}, Doubt::OutOfStep, {}, 21},
        {{-2.6, -1.3, -0.97, 0.65, 1.95}, Doubt::OutOfStep, {}, 22, kHighDensityUnits},
        {{-2, -1.3, 0, 1, 2}, Doubt::None, 22},  // off by the slack and four noise: in step
        {{-2, -1.45, 0, 1, 2}, Doubt::OutOfStep, {}, 21},
        // the row nearest straight not measured: the rows beside it do not name it
        {{-2, -1, 0, 1, 2}, Doubt::TooClose, {}, {}, 1, {22}},
        {{-2, -1, 0, 1, 2}, Doubt::None, 22, {}, 1, {24}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.offsets));
        std::vector<RowReading> rows;
        for (const RowReading& r : rowsOf(20, c.offsets)) {
            if (std::find(c.skip.begin(), c.skip.end(), r.value) == c.skip.end()) rows.push_back(r);
        }
        const StraightRow verdict = buildStraightRow(rows, c.units);
        EXPECT_EQ(verdict.doubt, c.doubt);
        EXPECT_EQ(verdict.straight, c.straight);
        EXPECT_EQ(verdict.outOfStep, c.outOfStep);
        EXPECT_EQ(verdict.confidence > 0.5, c.straight.has_value());
    }
    // The line predicts the best value beyond the rows printed.
    EXPECT_DOUBLE_EQ(*buildStraightRow(rowsOf(20, {-7, -6, -5, -4, -3})).predicted, 27);
    EXPECT_DOUBLE_EQ(*buildStraightRow(rowsOf(20, {3, 2, 1, 0, -1})).predicted, 23);
    // Noise as large as a step makes the clearest rows doubtful.
    EXPECT_EQ(buildStraightRow(rowsOf(20, {-2, -1, 0, 1, 2}, 0.3)).doubt, Doubt::TooClose);
}

std::vector<GlyphShape> glyphsOf(const std::string& label) {
    std::vector<GlyphShape> glyphs;
    for (char c : label) glyphs.push_back(kLabelShapes[kLabelCharacters.find(c)]);
    return glyphs;
}

// A block's labels are read as one run of values; a row that clearly reads otherwise, or too
// few rows read, give nothing rather than a wrong value.
TEST(LabelValues, ConsecutiveValuesOrNothing) {
    std::vector<std::vector<GlyphShape>> rows;
    for (const char* label : {"98", "99", "*100", "101", "102"}) rows.push_back(glyphsOf(label));
    const auto read = buildLabelValues(rows);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->values, (std::vector<int>{98, 99, 100, 101, 102}));
    EXPECT_EQ(read->marked, (std::vector<bool>{false, false, true, false, false}));

    auto blank = rows;
    blank[0].clear();
    blank[4].clear();
    EXPECT_EQ(buildLabelValues(blank)->values, read->values);  // three of five suffice
    blank[1].clear();
    EXPECT_FALSE(buildLabelValues(blank));
    blank.pop_back();  // two of four: not more than half
    EXPECT_FALSE(buildLabelValues(blank));
    auto other = rows;
    other[3] = glyphsOf("107");
    EXPECT_FALSE(buildLabelValues(other));
}

TEST(ReadRows, BlankPageHasNoRows) {
    GreyImage blank{400, 300, std::vector<std::uint8_t>(400 * 300, 235), 300, 300};
    const auto readings = readRows(blank, {PrintMode::HighDensity, {}});
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_EQ(readings[0].doubt, Doubt::NoRows);
    EXPECT_EQ(readings[0].mode, PrintMode::HighDensity);
    EXPECT_TRUE(readRows(GreyImage{}).empty());
}

// Pages drawn by the preview and spoilt as a scanner would: the reader finds the straight
// row, says when none is straight, says it cannot tell on a picture too coarse, and is never
// wrong. row-pages reads the whole set.
TEST(ReadRows, PagesOfTheTestSet) {
    struct Case {
        PageKind kind;
        PrintMode mode;
        int bestShift;  ///< the printer's best value, from the printed centre
        Spoiling spoiling;
        Doubt doubt;
        RowFault firstRow = RowFault::None;  ///< the first block's first row
    };
    const Spoiling turned{.angleDegrees = 5, .noise = 3, .jpegQuality = 50};
    const Spoiling spread{.dpi = 200, .angleDegrees = -2, .inkSpread = 1.5, .jpegQuality = 75};
    const Spoiling faded{.unevenLight = 0.4, .ribbon = 0.45}, coarse{.dpi = 150};
    // Passes 1 and 3 of the second row part otherwise than its block's: it lies across a crease.
    const Spoiling crease{.dpi = 200, .creaseRow = 1, .creaseAt = 0.3, .creaseShift = -4};
    // Dark bands at the edges (an open lid, a desk round a photo that states no resolution)
    // are not the page: not ink, not rows, and the test print is not super-high density.
    // Cut: the first row's lower part alone, a row of its block, not a block; on the lid's
    // band, the band, not the picture's edge, cuts it.
    const Spoiling cut{.cutRow = 0.55}, lid{.bandBottomMillimetres = 6};
    const Spoiling lidOnCut{.cutRow = 0.55, .bandTopMillimetres = 2.5};
    Spoiling desk{.dpi = 250, .dpiInFile = false, .lensBlur = 1, .jpegQuality = 85};
    desk.bandTopMillimetres = desk.bandBottomMillimetres = 8, desk.bandGrey = 105;
    const Case cases[] = {
        {PageKind::SetSingle, PrintMode::HighSpeed, 1, turned, Doubt::None},
        {PageKind::SetSingle, PrintMode::HighDensity, -2, spread, Doubt::None},
        {PageKind::SetSingle, PrintMode::SuperHighDensity, 3, faded, Doubt::None},
        {PageKind::SetSingle, PrintMode::HighSpeed, 4, faded, Doubt::NoneStraight},
        {PageKind::SetSingle, PrintMode::SuperHighDensity, 0, coarse, Doubt::TooCoarse},
        {PageKind::SetSingle, PrintMode::HighSpeed, 2, crease, Doubt::OutOfStep},
        {PageKind::SetAll, PrintMode::HighSpeed, 0, turned, Doubt::None},
        {PageKind::SetAll, PrintMode::HighSpeed, -2, {.unevenLight = 0.45}, Doubt::None},
        {PageKind::TestPrint, PrintMode::HighSpeed, -2, {}, Doubt::None},  // labels by the bars
        {PageKind::SetSingle, PrintMode::HighSpeed, 1, cut, Doubt::None, RowFault::CutOff},
        {PageKind::SetSingle, PrintMode::HighSpeed, -2, lidOnCut, Doubt::DarkBorder,
         RowFault::DarkBorder},
        {PageKind::SetSingle, PrintMode::HighDensity, 1, lid, Doubt::None},
        {PageKind::SetSingle, PrintMode::SuperHighDensity, 1, desk, Doubt::None},
        {PageKind::TestPrint, PrintMode::HighSpeed, 0, desk, Doubt::None},
    };
    RowPageMaker maker;
    for (const Case& c : cases) {
        PageSpec spec{c.kind, c.mode, {20, 24, 40}, {20, 24, 40}};
        for (int& best : spec.best) best += c.bestShift;
        const RowPage page = maker.build(spec, c.spoiling);
        // Not told what was printed: the labels give the values, and with the bars the mode.
        const auto readings = readRows(page.image);
        ASSERT_EQ(readings.size(), page.printed.size());
        ASSERT_FALSE(readings[0].rows.empty());
        EXPECT_EQ(readings[0].rows[0].fault, c.firstRow);
        for (std::size_t i = 0; i < readings.size(); ++i) {
            const ModeReading& r = readings[i];
            SCOPED_TRACE(std::to_string(modeNumber(r.mode)) + " best " +
                         std::to_string(spec.best[modeIndex(r.mode)]));
            EXPECT_EQ(r.mode, page.printed[i].mode);
            EXPECT_EQ(r.doubt, c.doubt);
            EXPECT_NE(judgeReading(r, spec.best[modeIndex(r.mode)], 0), Outcome::Wrong);
            if (c.doubt == Doubt::None) {
                EXPECT_EQ(r.straight, spec.best[modeIndex(r.mode)]);
            }
        }
        // Labels that are not the rows just printed: an old page on the scanner.
        std::vector<PrintedBlock> other = page.printed;
        for (int& v : other.back().values) ++v;
        if (c.doubt == Doubt::None) {
            EXPECT_EQ(readRows(page.image, {{}, other}).back().doubt, Doubt::OtherPage);
        }
    }
}

/// The picture stretched down by `s`, as a scanner with unequal axes stores it; the file
/// states both resolutions, or neither.
GreyImage stretchedDown(const GreyImage& image, double s, bool stated) {
    GreyImage out{image.width, static_cast<int>(image.height * s), {}, 0, 0};
    if (stated)
        out.dotsPerInch = image.dotsPerInch, out.verticalDotsPerInch = image.dotsPerInch * s;
    for (int y = 0; y < out.height; ++y) {
        const int from = std::min(image.height - 1, static_cast<int>(y / s));
        out.pixels.insert(out.pixels.end(), image.pixels.begin() + from * image.width,
                          image.pixels.begin() + (from + 1) * image.width);
    }
    return out;
}

// The mode is never wrong: unequal axes, stated or not, a --mode the page contradicts, and the
// same mode twice on one picture.
TEST(ReadRows, TheModeIsNeverWrong) {
    RowPageMaker maker;
    for (const PageKind kind : {PageKind::SetSingle, PageKind::SetAll, PageKind::TestPrint}) {
        const PageSpec spec{kind, PrintMode::SuperHighDensity, {20, 24, 40}, {21, 25, 41}};
        const RowPage page = maker.build(spec, {});
        for (const double s : {1.5, 2.0}) {
            for (const bool stated : {true, false}) {
                SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + " x" + std::to_string(s) +
                             (stated ? " stated" : " not stated"));
                const auto readings = readRows(stretchedDown(page.image, s, stated));
                ASSERT_EQ(readings.size(), page.printed.size());
                for (std::size_t i = 0; i < readings.size(); ++i) {
                    const ModeReading& r = readings[i];
                    EXPECT_EQ(r.mode, page.printed[i].mode);
                    EXPECT_NE(judgeReading(r, spec.best[modeIndex(r.mode)], 0), Outcome::Wrong);
                    if (stated) {
                        EXPECT_EQ(r.straight, spec.best[modeIndex(r.mode)]);
                    }
                }
            }
        }
    }
    const PageSpec spec{PageKind::SetSingle, PrintMode::HighSpeed, {20, 24, 40}, {21, 25, 41}};
    const RowPage page = maker.build(spec, {});
    const auto asked = readRows(page.image, {PrintMode::HighDensity, {}});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].mode, PrintMode::HighDensity);
    EXPECT_EQ(asked[0].doubt, Doubt::OtherMode);
    EXPECT_EQ(readRows(page.image, {PrintMode::HighSpeed, {}})[0].straight, 21);
    for (const PagesInPicture two : {PagesInPicture::SideBySide, PagesInPicture::Stacked}) {
        SCOPED_TRACE(static_cast<int>(two));
        const auto readings = readRows(maker.build(spec, {.pages = two}).image);
        ASSERT_EQ(readings.size(), 1u);
        EXPECT_EQ(readings[0].mode, PrintMode::HighSpeed);
        EXPECT_EQ(readings[0].doubt, Doubt::TwoPages);
        EXPECT_FALSE(readings[0].straight);
    }
}

}  // namespace
}  // namespace trevalune::rowreader
