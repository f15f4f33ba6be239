#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "preview/renderer.h"

namespace trevalune::preview {

/// A grey coverage bitmap (0 = paper, 255 = ink), row by row.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

/// Draws characters with a CJK outline font through FreeType. Without a usable font every
/// character becomes an outlined box, so a preview still shows where the text went.
class GlyphPainter final {
public:
    /// `fontPath` empty: the first of the usual CJK fonts that exists (WenQuanYi Micro Hei
    /// from fonts-wqy-microhei first).
    explicit GlyphPainter(const std::string& fontPath = {});
    ~GlyphPainter();
    GlyphPainter(const GlyphPainter&) = delete;
    GlyphPainter& operator=(const GlyphPainter&) = delete;

    bool hasFont() const { return face_ != nullptr; }
    const std::string& fontPath() const { return fontPath_; }

    /// One character (UTF-8) centred in a box of `width` x `height` pixels, drawn with an em
    /// of `emWidth` x `emHeight` pixels (the em of a wide character; narrow ones take half).
    const Bitmap& glyph(const std::string& text, int width, int height, int emWidth, int emHeight);

private:
    Bitmap render(const std::string& text, int width, int height, int emWidth, int emHeight);

    void* library_ = nullptr;  // FT_Library
    void* face_ = nullptr;     // FT_Face
    std::string fontPath_;
    std::map<std::string, Bitmap> cache_;
};

/// How a page becomes pixels: one pixel per unit across, `pixelsPerRow` pixels per dot row
/// down (4 makes a high-speed Chinese character square), and white margins.
struct PngStyle {
    int pixelsPerRow = 4;
    int marginUnits = 48;
    int marginRows = 12;
};

/// The page as an ink coverage bitmap (0 = paper, 255 = ink), as writePagePng draws it.
Bitmap drawPage(const Page& page, GlyphPainter& glyphs, const PngStyle& style = {});

/// Writes the page as an 8-bit grey PNG. Throws std::runtime_error when it cannot.
void writePagePng(const Page& page, const std::filesystem::path& path, GlyphPainter& glyphs,
                  const PngStyle& style = {});

/// Reads an 8-bit grey PNG back (for tests and checks). Throws std::runtime_error.
Bitmap readGreyPng(const std::filesystem::path& path);

}  // namespace trevalune::preview
