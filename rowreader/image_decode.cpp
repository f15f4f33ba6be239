// What every platform's decoder shares: the formats' signatures, the size limit, the messages,
// and the resolution each format writes into its own header.
#include <cmath>
#include <string>

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

double pngDotsPerInch(std::span<const std::uint8_t> b) {
    // pHYs must come before the first IDAT; walk the chunks until then.
    for (std::size_t at = kPngSignature.size(); at + 8 <= b.size();) {
        const std::uint32_t length = bigEndian(b, at, 4);
        const std::string_view type(reinterpret_cast<const char*>(&b[at + 4]), 4);
        if (type == "IDAT" || type == "IEND") return 0;
        if (type == "pHYs" && length == 9 && at + 8 + 9 <= b.size()) {
            if (b[at + 16] != 1) return 0;  // unit unknown: an aspect ratio only
            const double perMetre = bigEndian(b, at + 8, 4);
            return wholeWhereClose(perMetre * 0.0254, 0.5 * 0.0254);
        }
        at += 12 + static_cast<std::size_t>(length);
    }
    return 0;
}

double jpegDotsPerInch(std::span<const std::uint8_t> b) {
    // The JFIF segment (APP0) follows the start of image; stop at the first scan.
    std::size_t at = 2;
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        const std::uint8_t marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return 0;
        const std::uint32_t length = bigEndian(b, at + 2, 2);
        const std::size_t data = at + 4;
        if (marker == 0xE0 && length >= 16 && data + 14 <= b.size() &&
            std::string_view(reinterpret_cast<const char*>(&b[data]), 5) ==
                std::string_view{"JFIF\0", 5}) {
            const double density = bigEndian(b, data + 8, 2);
            switch (b[data + 7]) {
                case 1:
                    return density;
                case 2:
                    return wholeWhereClose(density * 2.54, 0.5 * 2.54);
                default:
                    return 0;  // an aspect ratio only
            }
        }
        at += 2 + length;
    }
    return 0;
}

double tiffDotsPerInch(std::span<const std::uint8_t> b) {
    if (b.size() < 8) return 0;
    const bool little = b[0] == 'I';
    auto read = [&](std::size_t at, int length) -> std::uint32_t {
        if (at + length > b.size()) return 0;
        std::uint32_t v = 0;
        for (int i = 0; i < length; ++i) {
            v |= static_cast<std::uint32_t>(b[at + i]) << (8 * (little ? i : length - 1 - i));
        }
        return v;
    };
    const std::size_t ifd = read(4, 4);
    const std::uint32_t entries = read(ifd, 2);
    double resolution = 0;
    std::uint32_t unit = 2;  // inch, when the file does not say
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + 12 * static_cast<std::size_t>(i);
        if (entry + 12 > b.size()) break;
        const std::uint32_t tag = read(entry, 2), type = read(entry + 2, 2);
        if (tag == 282 && type == 5) {  // XResolution, RATIONAL
            const std::size_t value = read(entry + 8, 4);
            const std::uint32_t denominator = read(value + 4, 4);
            if (denominator != 0) resolution = double(read(value, 4)) / denominator;
        } else if (tag == 296 && type == 3) {  // ResolutionUnit, SHORT
            unit = read(entry + 8, 2);
        }
    }
    // Writers that keep the resolution as a float store 600 dpi as 599.9988.
    switch (unit) {
        case 2:
            return wholeWhereClose(resolution, 0.01);
        case 3:
            return wholeWhereClose(resolution * 2.54, 0.01);
        default:
            return 0;  // no absolute unit
    }
}

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

double statedDotsPerInch(ImageFormat format, std::span<const std::uint8_t> bytes) {
    switch (format) {
        case ImageFormat::Png:
            return pngDotsPerInch(bytes);
        case ImageFormat::Jpeg:
            return jpegDotsPerInch(bytes);
        case ImageFormat::Tiff:
            return tiffDotsPerInch(bytes);
    }
    return 0;
}

}  // namespace detail

GreyImage decodeImage(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) throw ImageError("not a PNG, JPEG or TIFF picture: the file is empty");
    const auto format = detail::sniffImageFormat(bytes);
    if (!format) throw ImageError("not a PNG, JPEG or TIFF picture");
    GreyImage image = detail::decodePixels(*format, bytes);
    image.dotsPerInch = detail::statedDotsPerInch(*format, bytes);
    return image;
}

}  // namespace trevalune::rowreader
