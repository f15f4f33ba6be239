// The image decoders: the same small pictures (samples/, described in its README) decoded on
// every platform to the same grey and resolution; foreign or damaged files give ImageError.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "rowreader/image.h"
#include "rowreader/image_decode.h"

namespace trevalune::rowreader {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes sample(const std::string& name) {
    std::string folder = TREVALUNE_IMAGE_SAMPLES;
#ifdef _WIN32
    if (folder[0] == '/') folder = "Z:" + folder;  // Wine's drive Z: is the host's /
#endif
    std::ifstream in(folder + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << "missing sample " << folder << "/" << name;
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

/// What the 8 x 4 samples show. Grey: 30x + 10y (also in 16 bits). Colour: red, green, blue
/// and mid grey in 2 x 2 blocks (also by palette). Alpha: grey 100 over alpha 36x, to be laid
/// on white. Bilevel: ink where (x + y) % 3 == 0.
enum class Kind { Grey, Colour, Alpha, Bilevel };

int expectedGrey(Kind kind, int x, int y) {
    constexpr int kColourGrey[4] = {76, 150, 29, 128};  // luminance of the four colours
    switch (kind) {
        case Kind::Grey:
            return 30 * x + 10 * y;
        case Kind::Colour:
            return kColourGrey[(x / 2 + y / 2) % 4];
        case Kind::Alpha:
            return static_cast<int>(std::lround(255 - 36 * x * (155 / 255.0)));
        case Kind::Bilevel:
            return (x + y) % 3 == 0 ? 0 : 255;
    }
    return -1;
}

TEST(DecodeImage, GivesTheGreyAndResolutionOfEverySample) {
    const std::tuple<const char*, Kind, double> cases[] = {
        {"grey-300dpi.png", Kind::Grey, 300},    // pHYs 11811 per metre
        {"colour-nounit.png", Kind::Colour, 0},  // pHYs 1:1, no unit
        {"palette.png", Kind::Colour, 0},
        {"grey16.png", Kind::Grey, 0},
        {"alpha.png", Kind::Alpha, 0},
        {"grey-200dpi.jpg", Kind::Grey, 200},
        {"colour-118dpcm.jpg", Kind::Colour, 300},
        {"grey-nounit.jpg", Kind::Grey, 0},  // JFIF 1:1, no unit
        {"grey-600dpi.tif", Kind::Grey, 600},
        {"colour-236dpcm.tif", Kind::Colour, 600},  // 236.22 per centimetre
        {"grey16.tif", Kind::Grey, 0},
        {"alpha-nounit.tif", Kind::Alpha, 0},        // XResolution 72, ResolutionUnit none
        {"bilevel-300dpi.tif", Kind::Bilevel, 300},  // MinIsWhite, 1 bit
    };
    for (const auto& [file, kind, dpi] : cases) {
        SCOPED_TRACE(file);
        const GreyImage image = decodeImage(sample(file));
        ASSERT_EQ(image.width, 8);
        ASSERT_EQ(image.height, 4);
        EXPECT_DOUBLE_EQ(image.dotsPerInch, dpi);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                // 16 bits reduced, JPEG's colour converted: one step apart at most.
                EXPECT_NEAR(image.at(x, y), expectedGrey(kind, x, y), 1) << "at " << x << "," << y;
            }
        }
    }
}

Bytes withoutLast(Bytes b, std::size_t count) {
    b.resize(b.size() - count);
    return b;
}

Bytes changedAt(Bytes b, std::size_t fromEnd) {
    b[b.size() - fromEnd] ^= 0x55;
    return b;
}

TEST(DecodeImage, RefusesWhatItCannotReadWithAClearMessage) {
    const std::string gif = "GIF89a\x08\x00\x04\x00";
    const std::pair<Bytes, std::string> cases[] = {
        {{}, "not a PNG, JPEG or TIFF picture: the file is empty"},
        {Bytes(gif.begin(), gif.end()), "not a PNG, JPEG or TIFF picture"},
#ifndef _WIN32  // Wine's PNG decoder decodes the whole picture before it tells the size
        {sample("oversized.png"),
         "PNG picture too large: 20000 x 10001 pixels, more than the 200000000 this tool reads"},
        // Only the image data's checksum is wrong (Wine's decoder does not check it).
        {changedAt(sample("grey-300dpi.png"), 14), "damaged PNG: "},
#endif
        {withoutLast(sample("colour-nounit.png"), 30), "damaged PNG: "},
        {changedAt(sample("grey-300dpi.png"), 20), "damaged PNG: "},       // in the image data
        {withoutLast(sample("colour-118dpcm.jpg"), 8), "damaged JPEG: "},  // in the scan
        {withoutLast(sample("grey-200dpi.jpg"), 200), "damaged JPEG: "},
        {withoutLast(sample("grey-200dpi.jpg"), 2), "damaged JPEG: "},      // no end marker
        {withoutLast(sample("colour-236dpcm.tif"), 60), "damaged TIFF: "},  // its directory
        {withoutLast(sample("grey-600dpi.tif"), 10), "damaged TIFF: "},     // its pixels
    };
    for (const auto& c : cases) {
        const auto& [bytes, message] = c;
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases << ": " << message);
        try {
            decodeImage(bytes);
            ADD_FAILURE() << "decoded";
        } catch (const ImageError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, message.size()), message) << e.what();
            if (message.back() == ' ') {
                EXPECT_GT(std::strlen(e.what()), message.size());  // the library says why
            }
        }
    }
}

TEST(DecodeImage, TurnsThePictureUprightWithBothAxesResolutions) {
    // The stored 8 x 4 grey has 0, 210, 30 and 240 at its top left, top right, bottom left
    // and bottom right; each orientation puts those corners elsewhere.
    using Case = std::tuple<std::string, int, int, int, std::array<int, 4>, double, double>;
    auto jpeg = [](int o) { return "grey-exif" + std::to_string(o) + "-300x600dpi.jpg"; };
    const Case cases[] = {
        {jpeg(1), 0, 8, 4, {0, 210, 30, 240}, 300, 600},
        {jpeg(2), 0, 8, 4, {210, 0, 240, 30}, 300, 600},
        {jpeg(3), 0, 8, 4, {240, 30, 210, 0}, 300, 600},
        {jpeg(4), 0, 8, 4, {30, 240, 0, 210}, 300, 600},
        {jpeg(5), 0, 4, 8, {0, 30, 210, 240}, 600, 300},
        {jpeg(6), 0, 4, 8, {30, 0, 240, 210}, 600, 300},
        {jpeg(7), 0, 4, 8, {240, 210, 30, 0}, 600, 300},
        {jpeg(8), 0, 4, 8, {210, 240, 0, 30}, 600, 300},
        {"grey-exif1-72dpi.jpg", 0, 8, 4, {0, 210, 30, 240}, 0, 0},  // a camera's figure
        {"grey-turned6-300x600dpi.tif", 0, 4, 8, {30, 0, 240, 210}, 600, 300},
        {"grey-300x600dpi.png", 0, 8, 4, {0, 210, 30, 240}, 300, 600},
        {"pages-thumbnail.tif", 0, 8, 4, {0, 210, 30, 240}, 300, 300},
        // Its second page (the thumbnail between is none), inverted and turned round.
        {"pages-thumbnail.tif", 1, 8, 4, {15, 225, 45, 255}, 200, 400},
    };
    for (const auto& [file, page, width, height, corners, dpiAcross, dpiDown] : cases) {
        SCOPED_TRACE(file + " page " + std::to_string(page));
        const GreyImage image = decodeImage(sample(file), page);
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        EXPECT_DOUBLE_EQ(image.dotsPerInch, dpiAcross);
        EXPECT_DOUBLE_EQ(image.verticalDotsPerInch, dpiDown);
        // The grey runs evenly between the corners.
        const auto [tl, tr, bl, br] = corners;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const double expected =
                    tl + (tr - tl) * x / (width - 1.0) + (bl - tl) * y / (height - 1.0);
                EXPECT_NEAR(image.at(x, y), expected, 1) << "at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(imagePageCount(sample("pages-thumbnail.tif")), 2);
    EXPECT_EQ(imagePageCount(sample("grey-600dpi.tif")), 1);
    EXPECT_EQ(imagePageCount(sample("grey-300dpi.png")), 1);
    EXPECT_THROW(decodeImage(sample("pages-thumbnail.tif"), 2), ImageError);
}

/// `image` averaged over squares of `f` pixels from its top left (those at the right and
/// bottom edges over what is left), halves rounded up.
GreyImage boxReduced(const GreyImage& image, int f) {
    GreyImage out{(image.width + f - 1) / f, (image.height + f - 1) / f, {}};
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            int sum = 0, n = 0;
            for (int j = y * f; j < std::min(image.height, (y + 1) * f); ++j) {
                for (int i = x * f; i < std::min(image.width, (x + 1) * f); ++i, ++n)
                    sum += image.at(i, j);
            }
            out.pixels.push_back(static_cast<std::uint8_t>((sum + n / 2) / n));
        }
    }
    return out;
}

TEST(DecodeImage, ReducesLargePicturesForReadingBySquaresAveraged) {
    // The stated resolution rules where there is one, else the short side.
    const std::tuple<long long, long long, double, int> bounds[] = {
        {20000, 20000, 799.9, 1}, {20000, 20000, 800, 2}, {100, 100, 1199, 2}, {100, 100, 1200, 3},
        {6599, 90000, 0, 1},      {90000, 6600, 0, 2},    {9900, 9900, 0, 3}};
    for (const auto& [width, height, dpi, reduction] : bounds) {
        EXPECT_EQ(detail::buildReduction(Resolution::ForReading, width, height, dpi), reduction)
            << width << " x " << height << " at " << dpi;
    }
    EXPECT_EQ(detail::buildReduction(Resolution::Stored, 90000, 90000, 2400), 1);

    // 8 x 4 at 1200 dpi read at 400: squares of 3, the last column two wide, the last row one.
    const GreyImage read = decodeImage(sample("grey-1200dpi.png"), 0, Resolution::ForReading);
    EXPECT_EQ(read.pixels, (Bytes{40, 130, 205, 60, 150, 225}));
    EXPECT_EQ(read.width, 3);
    EXPECT_DOUBLE_EQ(read.dotsPerInch, 400);
    EXPECT_DOUBLE_EQ(read.verticalDotsPerInch, 400);
    EXPECT_EQ(decodeImage(sample("grey-1200dpi.png")).width, 8);

    // Every decoder as the rows come, turned pictures too; libjpeg halves in its inverse DCT,
    // which only comes close to the average.
    const std::tuple<const char*, int, int> cases[] = {
        {"colour-nounit.png", 2, 1},           {"grey-600dpi.tif", 3, 1},
        {"colour-236dpcm.tif", 2, 1},          {"bilevel-300dpi.tif", 2, 1},
        {"grey-turned6-300x600dpi.tif", 2, 6}, {"grey-200dpi.jpg", 3, 1},
        {"colour-118dpcm.jpg", 2, 1},          {"grey-200dpi.jpg", 4, 1}};
    for (const auto& [file, f, orientation] : cases) {
        SCOPED_TRACE(std::string(file) + " by " + std::to_string(f));
        const Bytes bytes = sample(file);
        const detail::DecodeRequest request{0, orientation, Resolution::ForReading, 400.0 * f};
        const detail::DecodedPixels reduced =
            detail::decodePixels(*detail::sniffImageFormat(bytes), bytes, request);
        const GreyImage expected = boxReduced(decodeImage(bytes), f);
        EXPECT_EQ(reduced.reduction, f);
        ASSERT_EQ(reduced.image.width, expected.width);
        ASSERT_EQ(reduced.image.height, expected.height);
        const int tolerance = std::string(file).ends_with(".jpg") && f % 2 == 0 ? 2 : 0;
        for (std::size_t i = 0; i < expected.pixels.size(); ++i)
            EXPECT_NEAR(reduced.image.pixels[i], expected.pixels[i], tolerance) << "pixel " << i;
    }
}

TEST(UprightRows, TurnsPicturesOfMoreRowsThanABand) {
    // 5 x 70 stored, grey 2x + 3y; where each orientation puts the stored corners.
    constexpr int kStored[4] = {0, 8, 207, 215}, kWidth = 5, kHeight = 70;
    constexpr int kCornerFrom[8][4] = {{0, 1, 2, 3}, {1, 0, 3, 2}, {3, 2, 1, 0}, {2, 3, 0, 1},
                                       {0, 2, 1, 3}, {2, 0, 3, 1}, {3, 1, 2, 0}, {1, 3, 0, 2}};
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        detail::UprightRows rows(kWidth, kHeight, o);
        std::uint8_t scratch[kWidth];
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = rows.target(y, scratch);
            for (int x = 0; x < kWidth; ++x) row[x] = static_cast<std::uint8_t>(2 * x + 3 * y);
            rows.put(y, row);
        }
        const GreyImage image = rows.take();
        ASSERT_EQ(image.width, o >= 5 ? kHeight : kWidth);
        ASSERT_EQ(image.height, o >= 5 ? kWidth : kHeight);
        const int* from = kCornerFrom[o - 1];
        const int tl = kStored[from[0]], tr = kStored[from[1]], bl = kStored[from[2]];
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                ASSERT_EQ(image.at(x, y), tl + (tr - tl) * x / (image.width - 1) +
                                              (bl - tl) * y / (image.height - 1))
                    << "at " << x << "," << y;
            }
        }
    }
}

std::string temporaryFolder() {
    std::string folder = ::testing::TempDir();
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return folder;
}

TEST(ImageFile, ReadsAndWritesEveryNameAndRefusesWhatIsNoFile) {
    // A name no code page holds whole: Chinese, an accent, a space.
    const std::string path = temporaryFolder() + "/第一页 é.jpg";
    const Bytes bytes = sample("grey-200dpi.jpg");
    writeImageFile(path, bytes);
    EXPECT_EQ(readImageFile(path), bytes);

    const std::pair<std::string, std::string> refused[] = {
        {temporaryFolder(), "it is a folder, not a picture file"},
#ifndef _WIN32
        {"/dev/null", "it is a device, not a picture file"},
#endif
        {temporaryFolder() + "/扫描-none.jpg", ""},  // the system's own words
    };
    for (const auto& [name, message] : refused) {
        SCOPED_TRACE(name);
        try {
            readImageFile(name);
            ADD_FAILURE() << "read";
        } catch (const ImageFileError& e) {
            if (!message.empty()) {
                EXPECT_EQ(e.what(), message);
            }
            EXPECT_GT(std::strlen(e.what()), 5u);
        }
    }
}

}  // namespace
}  // namespace trevalune::rowreader
