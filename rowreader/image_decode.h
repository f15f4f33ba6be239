#pragma once

// What the platform decoders (image_linux.cpp, image_windows.cpp) share: which format the
// first bytes name, the size limit, the messages, what the file states of its resolution and
// orientation, and how colour and alpha become grey.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "rowreader/image.h"

namespace trevalune::rowreader::detail {

enum class ImageFormat { Png, Jpeg, Tiff };

/// The format the first bytes announce; none for anything else.
std::optional<ImageFormat> sniffImageFormat(std::span<const std::uint8_t> bytes);

/// "PNG", "JPEG", "TIFF".
std::string_view formatName(ImageFormat format);

/// Throws ImageError("damaged JPEG: <why>").
[[noreturn]] void throwDamaged(ImageFormat format, std::string_view why);

/// Throws ImageError unless width x height is a picture we read (not empty, at most
/// kMaxImagePixels). Called before the pixels are allocated.
void checkPictureSize(ImageFormat format, long long width, long long height);

/// What a file states of one of its pages, as stored (before it is turned upright).
struct StatedFacts {
    double dotsPerInchX = 0;  ///< 0 where it states none or only an aspect ratio
    double dotsPerInchY = 0;
    /// The EXIF / TIFF Orientation, 1 to 8: where the stored first row and column belong.
    int orientation = 1;
};

/// PNG pHYs and eXIf; JPEG JFIF, else EXIF; TIFF tags of the directory `directory`.
StatedFacts statedFacts(ImageFormat format, std::span<const std::uint8_t> bytes, int directory);

/// The directories of a TIFF that are pages, in order (a reduced-resolution copy is not);
/// {0} for the other formats. Empty when a TIFF's first directory cannot be found.
std::vector<int> pageDirectories(ImageFormat format, std::span<const std::uint8_t> bytes);

/// The whole factor a picture of `width` x `height` stored pixels is reduced by when decoded
/// for reading: the largest that keeps `statedDotsPerInch` (the smaller axis's; 0 when the
/// file states none) at kReadingDotsPerInch or more, else the short side at kReadingShortSide
/// or more; 1 for Resolution::Stored.
int buildReduction(Resolution resolution, long long width, long long height,
                   double statedDotsPerInch);

/// Receives the decoded grey rows in the order stored, averages each square of `reduction`
/// x `reduction` of them into one pixel (the last row and column of squares take what is
/// left), and puts each pixel where the picture turned upright has it, so that no second
/// copy of the picture is ever made.
class UprightRows final {
public:
    /// Allocates the upright picture; `width` x `height` as stored, already checked.
    UprightRows(int width, int height, int orientation, int reduction = 1);
    /// Where stored row `y` is best decoded: straight into the picture where it stays a row
    /// running the same way and is not reduced (no copy at all), else into `scratch`
    /// (`width` pixels).
    std::uint8_t* target(int y, std::uint8_t* scratch);
    /// Stored row `y`, `width` grey pixels, decoded where target() said; rows come in order.
    void put(int y, const std::uint8_t* row);
    GreyImage take() { return std::move(image_); }

private:
    /// Puts reduced row `y` where the upright picture has it.
    void place(int y, const std::uint8_t* row);
    /// Writes the band's rows as columns, a short run of each upright row at a time.
    void flushBand();

    GreyImage image_;
    int reduction_, fullWidth_, fullHeight_;
    std::vector<std::uint32_t> sums_;  ///< each stored column's sum down the current squares
    std::vector<std::uint8_t> reduced_;
    /// as reduced: the picture's size before it is turned
    int storedWidth_, storedHeight_;
    bool transposed_, mirrorAcross_, mirrorDown_;
    // A turned picture's rows become columns: written one by one, each pixel would land in
    // another cache line; a band of rows is written together instead.
    std::vector<std::uint8_t> band_;
    int bandFirst_ = 0, bandRows_ = 0;
};

/// Luminance of a colour, with the weights JPEG uses for its Y, so that a colour gives the
/// same grey whichever format carried it.
inline std::uint8_t luminance(int r, int g, int b) {
    return static_cast<std::uint8_t>((299 * r + 587 * g + 114 * b + 500) / 1000);
}

/// A colour already multiplied by its alpha, laid on white paper.
inline std::uint8_t onWhitePremultiplied(int grey, int alpha) {
    const int v = grey + 255 - alpha;
    return static_cast<std::uint8_t>(v > 255 ? 255 : v);
}

/// A colour with straight (unmultiplied) alpha, laid on white paper.
inline std::uint8_t onWhite(int grey, int alpha) {
    return onWhitePremultiplied((grey * alpha + 127) / 255, alpha);
}

/// What a platform decoder is asked for: the pixels of TIFF directory `directory` (0 for the
/// other formats), turned upright by `orientation`, at `resolution`.
struct DecodeRequest {
    int directory = 0;
    int orientation = 1;
    Resolution resolution = Resolution::Stored;
    double statedDotsPerInch = 0;  ///< the smaller axis's, 0 where the file states none

    int reduction(long long width, long long height) const {
        return buildReduction(resolution, width, height, statedDotsPerInch);
    }
};

/// The pixels decoded and the whole factor they were reduced by; decodeImage adds the
/// resolution.
struct DecodedPixels {
    GreyImage image;
    int reduction = 1;
};

/// The platform's decoder.
DecodedPixels decodePixels(ImageFormat format, std::span<const std::uint8_t> bytes,
                           const DecodeRequest& request);

}  // namespace trevalune::rowreader::detail
