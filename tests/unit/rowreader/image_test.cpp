// The image decoders: the same small pictures (samples/, described in its README) decoded on
// every platform to the same grey and resolution; foreign or damaged files give ImageError.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "rowreader/image.h"

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
    struct Case {
        const char* file;
        Kind kind;
        double dpi;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const GreyImage image = decodeImage(sample(c.file));
        ASSERT_EQ(image.width, 8);
        ASSERT_EQ(image.height, 4);
        EXPECT_DOUBLE_EQ(image.dotsPerInch, c.dpi);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                // 16 bits reduced, JPEG's colour converted: one step apart at most.
                EXPECT_NEAR(image.at(x, y), expectedGrey(c.kind, x, y), 1)
                    << "at " << x << "," << y;
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

}  // namespace
}  // namespace trevalune::rowreader
