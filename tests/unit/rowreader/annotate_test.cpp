// The annotated page: where each mark falls and in which colour, the shrinking of large
// pages, and the PNG it is written as (read back by the decoder).
#include <gtest/gtest.h>

#include "rowreader/annotate.h"

namespace trevalune::rowreader {
namespace {

using Colour = std::array<int, 3>;
constexpr Colour kGreen{0, 160, 0}, kBlue{0, 60, 255}, kRed{230, 0, 0};

Colour at(const RgbImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[3 * (std::size_t(y) * image.width + x)];
    return {p[0], p[1], p[2]};
}

int count(const RgbImage& image, Colour colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) n += at(image, x, y) == colour;
    }
    return n;
}

RowReading row(int value, double offset, double top, RowFault fault = RowFault::None) {
    RowReading r{value, true, false, offset, 0.1, fault, {}};
    r.outline = {{{100, top}, {700, top}, {700, top + 40}, {100, top + 40}}};
    return r;
}

TEST(BuildAnnotation, OutlinesEveryRowInItsVerdictsColourAndShrinksLargePages) {
    GreyImage page{1000, 700, std::vector<std::uint8_t>(1000 * 700, 200)};
    ModeReading read;
    read.straight = 31;
    read.doubt = Doubt::None;
    read.confidence = 0.8;
    read.rows = {row(30, -1.0, 200), row(31, 0.0, 300), row(32, 1.0, 400, RowFault::CutOff)};
    const RgbImage drawn = buildAnnotation(page, {read});
    ASSERT_EQ(drawn.width, 1000);
    ASSERT_EQ(drawn.height, 700);
    EXPECT_EQ(at(drawn, 400, 200), kGreen);  // top edges
    EXPECT_EQ(at(drawn, 400, 300), kBlue);
    EXPECT_EQ(at(drawn, 400, 400), kRed);
    EXPECT_EQ(at(drawn, 400, 420), kRed);                     // struck through
    EXPECT_EQ(at(drawn, 400, 320), Colour({200, 200, 200}));  // the straight row is not
    // The labels right of the rows, in the rows' colours; the verdict at the top.
    for (const auto& [colour, top] : {std::pair{kGreen, 200}, {kBlue, 300}, {kRed, 400}})
        EXPECT_GT(count(drawn, colour, 705, top, 1000, top + 40), 20) << top;
    EXPECT_GT(count(drawn, kBlue, 0, 0, 1000, 15), 50);
    EXPECT_EQ(count(drawn, kRed, 0, 0, 1000, 15), 0);

    // One pixel past the largest side halves the page; the outlines follow.
    for (const int side : {kMaxAnnotationSide, kMaxAnnotationSide + 1}) {
        GreyImage large{side, 700, std::vector<std::uint8_t>(std::size_t(side) * 700, 200)};
        const RgbImage shrunk = buildAnnotation(large, {read});
        const int factor = side > kMaxAnnotationSide ? 2 : 1;
        EXPECT_EQ(shrunk.width, (side + factor - 1) / factor);
        EXPECT_EQ(shrunk.height, 700 / factor);
        EXPECT_EQ(at(shrunk, 400 / factor, 300 / factor), kBlue);
    }
}

TEST(EncodePng, WritesWhatTheDecoderReadsBack) {
    RgbImage image{3, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 128, 128, 128, 255, 255, 255}};
    const std::vector<std::uint8_t> png = encodePng(image);
    const GreyImage back = decodeImage(png);
    ASSERT_EQ(back.width, 3);
    ASSERT_EQ(back.height, 2);
    const int grey[] = {76, 150, 29, 0, 128, 255};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(back.pixels[i], grey[i]) << i;
}

}  // namespace
}  // namespace trevalune::rowreader
