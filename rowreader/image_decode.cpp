// What every platform's decoder shares: the formats' signatures, the size limit, the messages,
// what each format writes of resolution and orientation into its own header, and the turning
// of the stored rows upright.
#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <utility>

#include "rowreader/image_decode.h"

namespace trevalune::rowreader {
namespace detail {

namespace {

struct FormatTraits {
    ImageFormat format;
    std::string_view name;
    std::string_view signature;  // the first bytes of every such file
};

constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1a\n", 8};
constexpr FormatTraits kFormats[] = {
    {ImageFormat::Png, "PNG", kPngSignature},
    {ImageFormat::Jpeg, "JPEG", "\xFF\xD8\xFF"},
    {ImageFormat::Tiff, "TIFF", {"II*\0", 4}},
    {ImageFormat::Tiff, "TIFF", {"MM\0*", 4}},
};

const FormatTraits& traitsOf(ImageFormat format) {
    for (const auto& t : kFormats) {
        if (t.format == format) return t;
    }
    return kFormats[0];
}

std::uint32_t bigEndian(std::span<const std::uint8_t> b, std::size_t at, int length) {
    if (at + length > b.size()) return 0;
    std::uint32_t v = 0;
    for (int i = 0; i < length; ++i) v = (v << 8) | b[at + i];
    return v;
}

/// Resolutions are stored as whole numbers per metre or per centimetre, so 300 dpi arrives as
/// 299.9994; a value within the rounding of its unit is taken as the whole dpi it stands for.
double wholeWhereClose(double dpi, double rounding) {
    const double whole = std::round(dpi);
    return std::fabs(dpi - whole) <= rounding ? whole : dpi;
}

// The tags of a TIFF directory (also the structure of EXIF) that matter here.
constexpr std::uint32_t kTagNewSubfileType = 254, kTagOrientation = 274, kTagXResolution = 282,
                        kTagYResolution = 283, kTagResolutionUnit = 296;
constexpr std::uint32_t kTypeShort = 3, kTypeLong = 4, kTypeRational = 5;
constexpr std::uint32_t kReducedResolution = 1;  // NewSubfileType: a thumbnail or preview
// A chain of directories longer than any scanner writes is a damaged (or looping) one.
constexpr int kMaxDirectories = 1000;

/// A TIFF structure in memory: a TIFF file, or the EXIF block of a JPEG or PNG.
struct TiffView {
    std::span<const std::uint8_t> b;
    bool little = false;

    static std::optional<TiffView> of(std::span<const std::uint8_t> b) {
        if (b.size() < 8) return std::nullopt;
        if (b[0] == 'I' && b[1] == 'I' && b[2] == 42 && b[3] == 0) return TiffView{b, true};
        if (b[0] == 'M' && b[1] == 'M' && b[2] == 0 && b[3] == 42) return TiffView{b, false};
        return std::nullopt;
    }
    std::uint32_t read(std::size_t at, int length) const {
        if (at + length > b.size()) return 0;
        std::uint32_t v = 0;
        for (int i = 0; i < length; ++i) {
            v |= static_cast<std::uint32_t>(b[at + i]) << (8 * (little ? i : length - 1 - i));
        }
        return v;
    }
    std::size_t firstDirectory() const { return read(4, 4); }
    std::size_t nextDirectory(std::size_t ifd) const {
        return read(ifd + 2 + 12 * std::size_t{read(ifd, 2)}, 4);
    }
};

/// The tags of one directory that say how its picture is stored.
struct DirectoryFacts {
    double xResolution = 0, yResolution = 0;
    std::uint32_t unit = 2;  // inch, when the file does not say
    int orientation = 1;
    std::uint32_t subfileType = 0;
};

DirectoryFacts readDirectory(const TiffView& t, std::size_t ifd) {
    DirectoryFacts f;
    const std::uint32_t entries = t.read(ifd, 2);
    auto rational = [&](std::size_t entry) {
        const std::size_t value = t.read(entry + 8, 4);
        const std::uint32_t denominator = t.read(value + 4, 4);
        return denominator != 0 ? double(t.read(value, 4)) / denominator : 0.0;
    };
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + 12 * static_cast<std::size_t>(i);
        if (entry + 12 > t.b.size()) break;
        const std::uint32_t tag = t.read(entry, 2), type = t.read(entry + 2, 2);
        if (tag == kTagXResolution && type == kTypeRational) {
            f.xResolution = rational(entry);
        } else if (tag == kTagYResolution && type == kTypeRational) {
            f.yResolution = rational(entry);
        } else if (tag == kTagResolutionUnit && type == kTypeShort) {
            f.unit = t.read(entry + 8, 2);
        } else if (tag == kTagOrientation && type == kTypeShort) {
            const int o = static_cast<int>(t.read(entry + 8, 2));
            f.orientation = o >= 1 && o <= 8 ? o : 1;  // anything else: as stored
        } else if (tag == kTagNewSubfileType && type == kTypeLong) {
            f.subfileType = t.read(entry + 8, 4);
        }
    }
    return f;
}

/// A directory's resolution in dots per inch; 0 without an absolute unit. Writers that keep
/// the resolution as a float store 600 dpi as 599.9988.
double directoryDotsPerInch(double resolution, std::uint32_t unit) {
    switch (unit) {
        case 2:
            return wholeWhereClose(resolution, 0.01);
        case 3:
            return wholeWhereClose(resolution * 2.54, 0.01);
        default:
            return 0;
    }
}

/// The offsets of the directories in the main chain, at most kMaxDirectories.
std::vector<std::size_t> directoryChain(const TiffView& t) {
    std::vector<std::size_t> chain;
    for (std::size_t ifd = t.firstDirectory(); ifd != 0 && ifd + 2 <= t.b.size();
         ifd = t.nextDirectory(ifd)) {
        if (chain.size() == kMaxDirectories ||
            std::find(chain.begin(), chain.end(), ifd) != chain.end()) {
            break;
        }
        chain.push_back(ifd);
    }
    return chain;
}

/// What an EXIF block (a TIFF structure) states in its first directory. Cameras write 72 dpi
/// into every photo whatever it shows: that figure states nothing.
StatedFacts exifFacts(std::span<const std::uint8_t> exif) {
    constexpr double kCameraPlaceholderDpi = 72;
    StatedFacts s;
    const auto t = TiffView::of(exif);
    if (!t) return s;
    const DirectoryFacts f = readDirectory(*t, t->firstDirectory());
    s.orientation = f.orientation;
    const double x = directoryDotsPerInch(f.xResolution, f.unit);
    const double y = directoryDotsPerInch(f.yResolution, f.unit);
    if (x != kCameraPlaceholderDpi || y != kCameraPlaceholderDpi) {
        s.dotsPerInchX = x;
        s.dotsPerInchY = y;
    }
    return s;
}

StatedFacts pngFacts(std::span<const std::uint8_t> b) {
    StatedFacts s;
    for (std::size_t at = kPngSignature.size(); at + 8 <= b.size();) {
        const std::uint32_t length = bigEndian(b, at, 4);
        const std::string_view type(reinterpret_cast<const char*>(&b[at + 4]), 4);
        const std::size_t data = at + 8;
        if (type == "IEND" || data + length > b.size()) break;
        if (type == "pHYs" && length == 9 && b[data + 8] == 1) {  // unit 0: an aspect only
            s.dotsPerInchX = wholeWhereClose(bigEndian(b, data, 4) * 0.0254, 0.5 * 0.0254);
            s.dotsPerInchY = wholeWhereClose(bigEndian(b, data + 4, 4) * 0.0254, 0.5 * 0.0254);
        } else if (type == "eXIf") {
            s.orientation = exifFacts(b.subspan(data, length)).orientation;
        }
        at = data + length + 4;
    }
    return s;
}

StatedFacts jpegFacts(std::span<const std::uint8_t> b) {
    StatedFacts jfif, exif;
    // The JFIF (APP0) and EXIF (APP1) segments follow the start of image; stop at the scan.
    std::size_t at = 2;
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        const std::uint8_t marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) break;
        const std::uint32_t length = bigEndian(b, at + 2, 2);
        const std::size_t data = at + 4;
        const std::size_t end = std::min(b.size(), at + 2 + length);
        const auto segment = data <= end ? b.subspan(data, end - data) : b.subspan(0, 0);
        auto begins = [&](std::string_view with) {
            return segment.size() >= with.size() &&
                   std::equal(with.begin(), with.end(), segment.begin(),
                              [](char c, std::uint8_t v) { return std::uint8_t(c) == v; });
        };
        if (marker == 0xE0 && segment.size() >= 12 && begins({"JFIF\0", 5})) {
            const double x = bigEndian(segment, 8, 2), y = bigEndian(segment, 10, 2);
            const double perInch = segment[7] == 1 ? 1 : segment[7] == 2 ? 2.54 : 0;
            jfif.dotsPerInchX = wholeWhereClose(x * perInch, 0.5 * perInch);
            jfif.dotsPerInchY = wholeWhereClose(y * perInch, 0.5 * perInch);
        } else if (marker == 0xE1 && begins({"Exif\0\0", 6})) {
            exif = exifFacts(segment.subspan(6));
        }
        at += 2 + length;
    }
    // JFIF's resolution is the one JPEG defines; EXIF's counts where JFIF states none.
    if (jfif.dotsPerInchX > 0 && jfif.dotsPerInchY > 0) {
        exif.dotsPerInchX = jfif.dotsPerInchX;
        exif.dotsPerInchY = jfif.dotsPerInchY;
    }
    return exif;
}

StatedFacts tiffFacts(std::span<const std::uint8_t> b, int directory) {
    StatedFacts s;
    const auto t = TiffView::of(b);
    if (!t) return s;
    const std::vector<std::size_t> chain = directoryChain(*t);
    if (directory < 0 || directory >= static_cast<int>(chain.size())) return s;
    const DirectoryFacts f = readDirectory(*t, chain[directory]);
    s.orientation = f.orientation;
    s.dotsPerInchX = directoryDotsPerInch(f.xResolution, f.unit);
    // A scanner that states one figure means both axes.
    s.dotsPerInchY =
        f.yResolution > 0 ? directoryDotsPerInch(f.yResolution, f.unit) : s.dotsPerInchX;
    return s;
}

/// How each EXIF / TIFF orientation puts the stored picture upright: whether the stored rows
/// become columns, then whether the result is mirrored across and down.
struct OrientationTraits {
    bool transposed, mirrorAcross, mirrorDown;
};
constexpr OrientationTraits kOrientations[9] = {
    {false, false, false},                                             // (unused)
    {false, false, false}, {false, true, false}, {false, true, true},  // 1 2 3
    {false, false, true},  {true, false, false}, {true, true, false},  // 4 5 6
    {true, true, true},    {true, false, true},                        // 7 8
};

}  // namespace

std::optional<ImageFormat> sniffImageFormat(std::span<const std::uint8_t> bytes) {
    for (const auto& t : kFormats) {
        if (bytes.size() >= t.signature.size() &&
            std::equal(t.signature.begin(), t.signature.end(), bytes.begin(),
                       [](char s, std::uint8_t b) { return static_cast<std::uint8_t>(s) == b; })) {
            return t.format;
        }
    }
    return std::nullopt;
}

std::string_view formatName(ImageFormat format) {
    return traitsOf(format).name;
}

void throwDamaged(ImageFormat format, std::string_view why) {
    throw ImageError("damaged " + std::string(formatName(format)) + ": " + std::string(why));
}

void checkPictureSize(ImageFormat format, long long width, long long height) {
    if (width <= 0 || height <= 0) throwDamaged(format, "the picture has no pixels");
    if (width > kMaxImagePixels / height) {
        throw ImageError(std::string(formatName(format)) +
                         " picture too large: " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels, more than the " +
                         std::to_string(kMaxImagePixels) + " this tool reads");
    }
}

StatedFacts statedFacts(ImageFormat format, std::span<const std::uint8_t> bytes, int directory) {
    switch (format) {
        case ImageFormat::Png:
            return pngFacts(bytes);
        case ImageFormat::Jpeg:
            return jpegFacts(bytes);
        case ImageFormat::Tiff:
            return tiffFacts(bytes, directory);
    }
    return {};
}

std::vector<int> pageDirectories(ImageFormat format, std::span<const std::uint8_t> bytes) {
    if (format != ImageFormat::Tiff) return {0};
    const auto t = TiffView::of(bytes);
    if (!t) return {};
    const std::vector<std::size_t> chain = directoryChain(*t);
    std::vector<int> pages;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (i == 0 || (readDirectory(*t, chain[i]).subfileType & kReducedResolution) == 0) {
            pages.push_back(static_cast<int>(i));
        }
    }
    return pages;
}

int buildReduction(Resolution resolution, long long width, long long height,
                   double statedDotsPerInch) {
    if (resolution == Resolution::Stored) return 1;
    const double room = statedDotsPerInch > 0
                            ? statedDotsPerInch / kReadingDotsPerInch
                            : static_cast<double>(std::min(width, height)) / kReadingShortSide;
    return std::max(1, static_cast<int>(room));
}

UprightRows::UprightRows(int width, int height, int orientation, int reduction)
    : reduction_(std::max(1, reduction)),
      fullWidth_(width),
      fullHeight_(height),
      storedWidth_((width + reduction_ - 1) / reduction_),
      storedHeight_((height + reduction_ - 1) / reduction_) {
    const OrientationTraits& o =
        kOrientations[orientation >= 1 && orientation <= 8 ? orientation : 1];
    transposed_ = o.transposed;
    mirrorAcross_ = o.mirrorAcross;
    mirrorDown_ = o.mirrorDown;
    image_.width = transposed_ ? storedHeight_ : storedWidth_;
    image_.height = transposed_ ? storedWidth_ : storedHeight_;
    image_.pixels.resize(std::size_t(storedWidth_) * storedHeight_);
    constexpr std::size_t kBandRows = 32;
    if (transposed_) band_.resize(kBandRows * storedWidth_);
    if (reduction_ > 1) {
        sums_.resize(std::size_t(fullWidth_));
        reduced_.resize(std::size_t(storedWidth_));
    }
}

std::uint8_t* UprightRows::target(int y, std::uint8_t* scratch) {
    if (transposed_ || mirrorAcross_ || reduction_ > 1) return scratch;
    const int row = mirrorDown_ ? storedHeight_ - 1 - y : y;
    return image_.pixels.data() + std::size_t(row) * storedWidth_;
}

void UprightRows::put(int y, const std::uint8_t* row) {
    const int f = reduction_;
    if (f == 1) return place(y, row);
    // Each pixel's column summed down the squares' rows first: one pass a row that the
    // compiler vectorises; the squares are summed across once, at their last row.
    for (int x = 0; x < fullWidth_; ++x) sums_[std::size_t(x)] += row[x];
    if ((y + 1) % f != 0 && y != fullHeight_ - 1) return;
    const std::uint32_t rows = static_cast<std::uint32_t>(y % f + 1);
    for (int c = 0, x = 0; c < storedWidth_; ++c) {
        const int end = std::min(x + f, fullWidth_);
        const std::uint32_t n = rows * static_cast<std::uint32_t>(end - x);
        std::uint32_t sum = 0;
        for (; x < end; ++x) sum += std::exchange(sums_[std::size_t(x)], 0);
        reduced_[std::size_t(c)] = static_cast<std::uint8_t>((sum + n / 2) / n);
    }
    place(y / f, reduced_.data());
}

void UprightRows::place(int y, const std::uint8_t* row) {
    const std::ptrdiff_t w = storedWidth_, h = storedHeight_;
    if (!transposed_) {  // the stored row stays a row
        std::uint8_t* out = image_.pixels.data() + (mirrorDown_ ? h - 1 - y : y) * w;
        if (!mirrorAcross_) {
            if (out != row) std::copy(row, row + w, out);
        } else {
            std::reverse_copy(row, row + w, out);
        }
        return;
    }
    if (bandRows_ == 0) bandFirst_ = y;
    std::copy(row, row + w, band_.data() + bandRows_ * w);
    if (++bandRows_ * w == static_cast<std::ptrdiff_t>(band_.size()) || y == h - 1) flushBand();
}

void UprightRows::flushBand() {
    const std::ptrdiff_t w = storedWidth_, h = storedHeight_;
    // Stored row y becomes upright column y (h - 1 - y mirrored across); stored column x
    // becomes upright row x (w - 1 - x mirrored down).
    const std::ptrdiff_t firstColumn = mirrorAcross_ ? h - 1 - bandFirst_ : bandFirst_;
    const std::ptrdiff_t step = mirrorAcross_ ? -1 : 1;
    for (std::ptrdiff_t x = 0; x < w; ++x) {
        std::uint8_t* out = image_.pixels.data() + (mirrorDown_ ? w - 1 - x : x) * h + firstColumn;
        const std::uint8_t* in = band_.data() + x;
        for (int i = 0; i < bandRows_; ++i, out += step, in += w) *out = *in;
    }
    bandRows_ = 0;
}

}  // namespace detail

int imagePageCount(std::span<const std::uint8_t> bytes) {
    const auto format = detail::sniffImageFormat(bytes);
    return format ? static_cast<int>(detail::pageDirectories(*format, bytes).size()) : 0;
}

GreyImage decodeImage(std::span<const std::uint8_t> bytes, int page, Resolution resolution) {
    if (bytes.empty())
        throw ImageError("not a PNG, JPEG or TIFF picture: the file is empty",
                         ImageFault::EmptyFile);
    const auto format = detail::sniffImageFormat(bytes);
    if (!format) throw ImageError("not a PNG, JPEG or TIFF picture", ImageFault::NotAPicture);
    const std::vector<int> pages = detail::pageDirectories(*format, bytes);
    // A TIFF whose directories cannot be walked is left to the decoder, which says why.
    const int directory = pages.empty() && page == 0                           ? 0
                          : page >= 0 && page < static_cast<int>(pages.size()) ? pages[page]
                                                                               : -1;
    if (directory < 0) {
        throw ImageError("the picture has no page " + std::to_string(page + 1) + ", only " +
                         std::to_string(pages.size()));
    }
    const detail::StatedFacts stated = detail::statedFacts(*format, bytes, directory);
    const double x = stated.dotsPerInchX, y = stated.dotsPerInchY;
    const detail::DecodeRequest request{directory, stated.orientation, resolution,
                                        x > 0 && y > 0 ? std::min(x, y) : std::max(x, y)};
    try {
        detail::DecodedPixels decoded = detail::decodePixels(*format, bytes, request);
        const bool turned = detail::kOrientations[stated.orientation].transposed;
        decoded.image.dotsPerInch = (turned ? y : x) / decoded.reduction;
        decoded.image.verticalDotsPerInch = (turned ? x : y) / decoded.reduction;
        return std::move(decoded.image);  // a member is copied unless moved
    } catch (const std::bad_alloc&) {
        throw ImageError("not enough memory to decode the " +
                         std::string(detail::formatName(*format)) + " picture");
    }
}

}  // namespace trevalune::rowreader
