#pragma once

// What the platform decoders (image_linux.cpp, image_windows.cpp) share: which format the
// first bytes name, the size limit, the messages, and how colour and alpha become grey.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

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

/// The horizontal resolution the file itself states (PNG pHYs, JPEG JFIF, TIFF XResolution
/// with ResolutionUnit), in dots per inch; 0 when it states none or only an aspect ratio.
double statedDotsPerInch(ImageFormat format, std::span<const std::uint8_t> bytes);

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

/// The platform's decoder: pixels only; decodeImage adds the resolution.
GreyImage decodePixels(ImageFormat format, std::span<const std::uint8_t> bytes);

}  // namespace trevalune::rowreader::detail
