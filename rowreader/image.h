#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace trevalune::rowreader {

/// A grey picture as a scanner or a camera gave it: 0 is black, 255 white, row after row.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  ///< width * height
    /// Horizontal resolution written in the file (PNG pHYs, JPEG JFIF, TIFF); 0 when the file
    /// does not say, as with most photos.
    double dotsPerInch = 0;
    /// Vertical resolution written in the file; 0 when it does not say. Scanners may use
    /// unequal axes (300 x 600 dpi).
    double verticalDotsPerInch = 0;

    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

/// A file that is not a picture we can read, with what is wrong in the operator's words.
class ImageError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// PNG, JPEG or TIFF, told apart by their first bytes; colour is reduced to grey. Throws
/// ImageError for anything else, a damaged file or a picture larger than kMaxImagePixels.
GreyImage decodeImage(std::span<const std::uint8_t> bytes);

/// An A4 page at 1200 dpi is about 140 million pixels; beyond this a file is refused rather
/// than exhausting memory.
inline constexpr long long kMaxImagePixels = 200'000'000;

}  // namespace trevalune::rowreader
