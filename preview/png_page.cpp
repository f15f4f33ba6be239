#include "preview/png_page.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace trevalune::preview {

namespace {

constexpr const char* kDefaultFonts[] = {
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
};

/// The code point of a one-character UTF-8 text; 0 when it is not one.
char32_t codePointOf(const std::string& text) {
    if (text.empty()) return 0;
    const auto b0 = static_cast<unsigned char>(text[0]);
    int length = b0 < 0x80           ? 1
                 : (b0 >> 5) == 0x6  ? 2
                 : (b0 >> 4) == 0xE  ? 3
                 : (b0 >> 3) == 0x1E ? 4
                                     : 0;
    if (length == 0 || static_cast<int>(text.size()) < length) return 0;
    char32_t cp = length == 1 ? b0 : b0 & (0x7F >> length);
    for (int i = 1; i < length; ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    return cp;
}

/// On the model's paper a line of kLineUnits is 8 inches, and a dot row is 1/90 inch: a
/// high-speed character, two cells of 32 units across and the head's 16 dot rows down, is square.
constexpr int kUnitsPerInch = kLineUnits / 8;
constexpr int kDotRowsPerInch = 90;

/// A pHYs chunk: pixels per metre across and down.
std::array<std::uint8_t, 21> physChunk(double dpiAcross, double dpiDown) {
    std::array<std::uint8_t, 21> c{0, 0, 0, 9, 'p', 'H', 'Y', 's'};
    auto put = [&c](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) c[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    put(8, static_cast<std::uint32_t>(std::lround(dpiAcross / 0.0254)));
    put(12, static_cast<std::uint32_t>(std::lround(dpiDown / 0.0254)));
    c[16] = 1;  // the unit is the metre
    put(17, static_cast<std::uint32_t>(crc32(0, c.data() + 4, 13)));
    return c;
}

void outlineBox(Bitmap& b) {
    const int inset = std::max(1, b.width / 8);
    const int top = b.height / 6, bottom = b.height - b.height / 6 - 1;
    for (int y = top; y <= bottom; ++y) {
        for (int x = inset; x < b.width - inset; ++x) {
            if (y == top || y == bottom || x == inset || x == b.width - inset - 1) {
                b.pixels[static_cast<std::size_t>(y) * b.width + x] = 255;
            }
        }
    }
}

}  // namespace

GlyphPainter::GlyphPainter(const std::string& fontPath) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return;
    library_ = library;
    std::vector<std::string> candidates;
    if (!fontPath.empty()) {
        candidates.push_back(fontPath);
    } else {
        for (const char* p : kDefaultFonts) candidates.emplace_back(p);
    }
    for (const auto& path : candidates) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, path.c_str(), 0, &face) == 0) {
            face_ = face;
            fontPath_ = path;
            return;
        }
    }
}

GlyphPainter::~GlyphPainter() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

const Bitmap& GlyphPainter::glyph(const std::string& text, int width, int height, int emWidth,
                                  int emHeight) {
    const std::string key = text + '\0' + std::to_string(width) + 'x' + std::to_string(height) +
                            '/' + std::to_string(emWidth) + 'x' + std::to_string(emHeight);
    auto found = cache_.find(key);
    if (found == cache_.end()) {
        found = cache_.emplace(key, render(text, width, height, emWidth, emHeight)).first;
    }
    return found->second;
}

Bitmap GlyphPainter::render(const std::string& text, int width, int height, int emWidth,
                            int emHeight) {
    Bitmap out{width, height,
               std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 0)};
    const char32_t cp = codePointOf(text);
    auto* face = static_cast<FT_Face>(face_);
    if (!face || cp == 0 || FT_Get_Char_Index(face, cp) == 0 ||
        FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(emWidth), static_cast<FT_UInt>(emHeight)) !=
            0 ||
        FT_Load_Char(face, cp, FT_LOAD_RENDER) != 0) {
        outlineBox(out);
        return out;
    }
    FT_GlyphSlot slot = face->glyph;
    if ((slot->advance.x >> 6) > width && emWidth > 1) {
        // A character wider than its cell (an "m" in a narrow mode) is condensed to fit.
        const long narrower = std::max<long>(1, emWidth * width / (slot->advance.x >> 6));
        if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(narrower),
                               static_cast<FT_UInt>(emHeight)) != 0 ||
            FT_Load_Char(face, cp, FT_LOAD_RENDER) != 0) {
            outlineBox(out);
            return out;
        }
        slot = face->glyph;
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    const long ascender = face->size->metrics.ascender >> 6;
    const long descender = face->size->metrics.descender >> 6;  // negative
    const long baseline = (height - (ascender - descender)) / 2 + ascender;
    const long advance = slot->advance.x >> 6;
    const long left = (width - advance) / 2 + slot->bitmap_left;
    const long top = baseline - slot->bitmap_top;
    for (unsigned int r = 0; r < bitmap.rows; ++r) {
        const long y = top + static_cast<long>(r);
        if (y < 0 || y >= height) continue;
        for (unsigned int c = 0; c < bitmap.width; ++c) {
            const long x = left + static_cast<long>(c);
            if (x < 0 || x >= width) continue;
            const std::uint8_t v = bitmap.buffer[static_cast<long>(r) * bitmap.pitch + c];
            auto& px = out.pixels[static_cast<std::size_t>(y) * width + x];
            px = std::max(px, v);
        }
    }
    return out;
}

Bitmap drawPage(const Page& page, GlyphPainter& glyphs, const PngStyle& style) {
    const int ppr = std::max(1, style.pixelsPerRow);
    const int width = kLineUnits + 2 * style.marginUnits;
    const int rows = std::max(page.rows(), kHeadPins) + 2 * style.marginRows;
    const int height = rows * ppr;
    std::vector<std::uint8_t> ink(static_cast<std::size_t>(width) * height, 0);

    for (int row = 0; row < page.rows(); ++row) {
        for (int x = 0; x < kLineUnits; ++x) {
            if (!page.dot(x, row)) continue;
            const int px = x + style.marginUnits;
            for (int k = 0; k < ppr; ++k) {
                const int py = (row + style.marginRows) * ppr + k;
                ink[static_cast<std::size_t>(py) * width + px] = 255;
            }
        }
    }
    const int boxHeight = kHeadPins * ppr;
    // The em fills most of the line; a wide character is as wide as its two cells.
    const int emHeight = boxHeight * 7 / 8;
    for (const TextMark& mark : page.text()) {
        const int cells = std::max(1, mark.width / cellUnits(mark.mode));
        const int emWidth = std::max(1, (mark.width * 2 / cells) * 7 / 8);
        const Bitmap& g = glyphs.glyph(mark.text, mark.width, boxHeight, emWidth, emHeight);
        const int x0 = mark.x + style.marginUnits;
        const int y0 = (mark.row + style.marginRows) * ppr;
        for (int y = 0; y < g.height; ++y) {
            if (y0 + y >= height) break;
            for (int x = 0; x < g.width; ++x) {
                if (x0 + x >= width) break;
                auto& px = ink[static_cast<std::size_t>(y0 + y) * width + x0 + x];
                px = std::max(px, g.pixels[static_cast<std::size_t>(y) * g.width + x]);
            }
        }
    }
    return Bitmap{width, height, std::move(ink)};
}

void writePagePng(const Page& page, const std::filesystem::path& path, GlyphPainter& glyphs,
                  const PngStyle& style) {
    Bitmap picture = drawPage(page, glyphs, style);
    for (auto& v : picture.pixels) v = static_cast<std::uint8_t>(255 - v);  // ink on white paper
    const int width = picture.width;
    const int height = picture.height;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_GRAY;
    std::vector<std::uint8_t> png(PNG_IMAGE_PNG_SIZE_MAX(image));
    png_alloc_size_t size = png.size();
    if (!png_image_write_to_memory(&image, png.data(), &size, 0, picture.pixels.data(), width,
                                   nullptr)) {
        const std::string why = image.message;
        png_image_free(&image);
        throw std::runtime_error("cannot write " + path.string() + ": " + why);
    }
    // The simplified writer has no pHYs; it goes right after the header (signature 8 bytes,
    // IHDR 25), so that a reader of the picture knows its scale.
    const auto phys = physChunk(kUnitsPerInch, kDotRowsPerInch * std::max(1, style.pixelsPerRow));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), 33);
    out.write(reinterpret_cast<const char*>(phys.data()),
              static_cast<std::streamsize>(phys.size()));
    out.write(reinterpret_cast<const char*>(png.data() + 33),
              static_cast<std::streamsize>(size - 33));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

Bitmap readGreyPng(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        throw std::runtime_error("cannot read " + path.string() + ": " + image.message);
    }
    image.format = PNG_FORMAT_GRAY;
    Bitmap out{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
        const std::string why = image.message;
        png_image_free(&image);
        throw std::runtime_error("cannot read " + path.string() + ": " + why);
    }
    return out;
}

}  // namespace trevalune::preview
