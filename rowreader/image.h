#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace trevalune::rowreader {

/// A grey picture as a scanner or a camera gave it: 0 is black, 255 white, row after row,
/// turned upright as the file's Orientation tag (EXIF or TIFF) says.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  ///< width * height
    /// Horizontal resolution written in the file (PNG pHYs, JPEG JFIF or EXIF, TIFF); 0 when
    /// the file does not say, as with most photos. Across the picture as turned upright.
    double dotsPerInch = 0;
    /// Vertical resolution written in the file; 0 when it does not say. Scanners may use
    /// unequal axes (300 x 600 dpi).
    double verticalDotsPerInch = 0;

    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

/// What kind of file an ImageError refuses, for a front end that says it in its own language;
/// Other is said only in the decoder's words.
enum class ImageFault { Other, NotAPicture, EmptyFile };

/// A file that is not a picture we can read, with what is wrong in the operator's words.
class ImageError final : public std::runtime_error {
public:
    explicit ImageError(const std::string& what, ImageFault fault = ImageFault::Other)
        : std::runtime_error(what), fault_(fault) {}
    ImageFault fault() const noexcept { return fault_; }

private:
    ImageFault fault_;
};

/// A path that cannot be read as a file (missing, a folder, a device, no permission), with
/// why in the operator's words, without the path.
class ImageFileError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The bytes of a picture file. `utf8Path` may hold any characters (on Windows it is opened
/// by its UTF-16 name). Only a file or a pipe is read: a folder or a device is refused, and so
/// is anything larger than kMaxImageFileBytes. Throws ImageFileError.
std::vector<std::uint8_t> readImageFile(const std::string& utf8Path);

/// Writes `bytes` as the file `utf8Path` (any characters, as readImageFile), replacing it.
/// Throws ImageFileError.
void writeImageFile(const std::string& utf8Path, std::span<const std::uint8_t> bytes);

/// More than any scan of an A4 page needs, even uncompressed in colour at 1200 dpi.
inline constexpr long long kMaxImageFileBytes = 1LL << 30;

/// The pages of a picture: a multi-page TIFF has more than one (reduced-resolution copies,
/// such as thumbnails, are not pages); every other picture has one. 0 when the bytes are not
/// a picture we read.
int imagePageCount(std::span<const std::uint8_t> bytes);

/// How many of a picture's pixels decoding keeps.
enum class Resolution {
    Stored,  ///< every pixel as the file stores it
    /// A large picture averaged over squares of a whole number of pixels, down to no less
    /// than the reader needs (kReadingDotsPerInch where the file states its resolution, else
    /// kReadingShortSide pixels across): a 1200-dpi page takes a ninth of the memory and time,
    /// while the finest column printed still spans more than a pixel.
    ForReading,
};

/// PNG, JPEG or TIFF, told apart by their first bytes; colour is reduced to grey; `page` of
/// imagePageCount. Throws ImageError for anything else, a damaged file, a page it does not
/// hold or a picture larger than kMaxImagePixels (as stored, before any reduction). The
/// resolution stated is that of the pixels given.
GreyImage decodeImage(std::span<const std::uint8_t> bytes, int page = 0,
                      Resolution resolution = Resolution::Stored);

/// The least resolution a picture is reduced to for reading, where the file states one.
inline constexpr double kReadingDotsPerInch = 400;
/// The least short side a picture that states no resolution is reduced to: an A4 page's at
/// about 400 dpi.
inline constexpr int kReadingShortSide = 3300;

/// An A4 page at 1200 dpi is about 140 million pixels; beyond this a file is refused rather
/// than exhausting memory.
inline constexpr long long kMaxImagePixels = 200'000'000;

/// A colour picture to show, 8-bit red, green, blue, row after row.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  ///< 3 * width * height
};

/// The picture as a PNG file (libpng; on Windows the Windows Imaging Component). Throws
/// ImageError when the platform cannot encode it.
std::vector<std::uint8_t> encodePng(const RgbImage& image);

}  // namespace trevalune::rowreader
