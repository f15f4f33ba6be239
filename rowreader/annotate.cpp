// The annotated page: the picture, each row found outlined and labelled, drawn without a
// toolkit: lines by Bresenham's steps, text in a 5 x 7 bitmap font of its own.
#include "rowreader/annotate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>

namespace trevalune::rowreader {

namespace {

using Colour = std::array<std::uint8_t, 3>;
constexpr Colour kUsed{0, 160, 0}, kStraight{0, 60, 255}, kLeftOut{230, 0, 0},
    kPaper{255, 255, 255};

/// The font: each glyph 5 pixels wide (bit 4 the left one) and 7 high.
struct Glyph {
    char c;
    std::uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {' ', {0, 0, 0, 0, 0, 0, 0}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
    {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
    {'>', {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}},
    {'*', {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
    {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}},
};
constexpr int kGlyphWidth = 5, kGlyphHeight = 7, kAdvance = 6;

const Glyph& glyphOf(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& g : kFont) {
        if (g.c == c) return g;
    }
    return glyphOf('?');
}

/// A title in the picture for each mode, doubt and fault.
template <class Key>
struct Title {
    Key key;
    std::string_view title;
};
constexpr Title<PrintMode> kModeTitles[] = {
    {PrintMode::HighSpeed, "HIGH SPEED"},
    {PrintMode::HighDensity, "HIGH DENSITY"},
    {PrintMode::SuperHighDensity, "SUPER-HIGH DENSITY"},
};

constexpr Title<Doubt> kDoubtTitles[] = {
    {Doubt::NoneStraight, "NONE STRAIGHT"}, {Doubt::TooClose, "TOO CLOSE"},
    {Doubt::NoRows, "NO ROWS FOUND"},       {Doubt::TooCoarse, "TOO COARSE"},
    {Doubt::OtherPage, "ANOTHER PAGE"},     {Doubt::RowsMissing, "ROWS MISSING"},
    {Doubt::OutOfStep, "OUT OF STEP"},      {Doubt::CutOff, "CUT OFF"},
    {Doubt::Hidden, "PARTLY HIDDEN"},       {Doubt::DarkBorder, "DARK BORDER"},
    {Doubt::TwoPages, "TWO PAGES"},         {Doubt::OtherMode, "ANOTHER MODE"},
};
// Every doubt but None (the first) has its title, so a verdict never reads "?" (a doubt added
// after the last one named here must move this check on with its title).
static_assert(std::size(kDoubtTitles) == static_cast<std::size_t>(Doubt::OtherMode));

constexpr Title<RowFault> kFaultTitles[] = {
    {RowFault::CutOff, "CUT OFF"},
    {RowFault::DarkBorder, "DARK BORDER"},
    {RowFault::Hidden, "HIDDEN"},
    {RowFault::OutOfStep, "OUT OF STEP"},
};

template <class Key, std::size_t N>
std::string titleOf(const Title<Key> (&table)[N], Key key) {
    for (const Title<Key>& t : table) {
        if (t.key == key) return std::string(t.title);
    }
    return "?";
}

/// A canvas with the drawing steps the annotation needs.
class Canvas final {
public:
    explicit Canvas(RgbImage& image) : image_(image) {}

    void dot(int x, int y, Colour c) {
        if (x < 0 || y < 0 || x >= image_.width || y >= image_.height) return;
        std::uint8_t* p = image_.pixels.data() + 3 * (std::size_t(y) * image_.width + x);
        std::copy(c.begin(), c.end(), p);
    }
    void fill(int x, int y, int w, int h, Colour c) {
        for (int j = y; j < y + h; ++j) {
            for (int i = x; i < x + w; ++i) dot(i, j, c);
        }
    }
    /// A line `thickness` pixels wide.
    void line(PicturePoint a, PicturePoint b, int thickness, Colour c) {
        int x0 = int(std::lround(a.x)), y0 = int(std::lround(a.y));
        const int x1 = int(std::lround(b.x)), y1 = int(std::lround(b.y));
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        for (int error = dx + dy;;) {
            fill(x0 - thickness / 2, y0 - thickness / 2, thickness, thickness, c);
            if (x0 == x1 && y0 == y1) break;
            const int twice = 2 * error;
            if (twice >= dy) error += dy, x0 += sx;
            if (twice <= dx) error += dx, y0 += sy;
        }
    }
    /// Text with its top left at (x, y), each font pixel `scale` pixels, on a paper box.
    void text(int x, int y, std::string_view s, int scale, Colour c) {
        fill(x - scale, y - scale, textWidth(s, scale) + scale, (kGlyphHeight + 2) * scale, kPaper);
        for (char ch : s) {
            const Glyph& g = glyphOf(ch);
            for (int row = 0; row < kGlyphHeight; ++row) {
                for (int col = 0; col < kGlyphWidth; ++col) {
                    if (g.rows[row] & (0x10 >> col)) {
                        fill(x + col * scale, y + row * scale, scale, scale, c);
                    }
                }
            }
            x += kAdvance * scale;
        }
    }
    static int textWidth(std::string_view s, int scale) {
        return static_cast<int>(s.size()) * kAdvance * scale;
    }

private:
    RgbImage& image_;
};

/// The picture in grey, smaller by a whole `factor` (each pixel the mean of its square).
RgbImage buildShrunk(const GreyImage& picture, int factor) {
    RgbImage out;
    out.width = (picture.width + factor - 1) / factor;
    out.height = (picture.height + factor - 1) / factor;
    out.pixels.resize(std::size_t(3) * out.width * out.height);
    std::vector<unsigned> sums(out.width), counts(out.width);
    for (int y = 0; y < out.height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::fill(counts.begin(), counts.end(), 0u);
        for (int j = y * factor; j < std::min(picture.height, (y + 1) * factor); ++j) {
            const std::uint8_t* row = picture.pixels.data() + std::size_t(j) * picture.width;
            for (int i = 0; i < picture.width; ++i) {
                sums[i / factor] += row[i];
                ++counts[i / factor];
            }
        }
        std::uint8_t* p = out.pixels.data() + std::size_t(3) * y * out.width;
        for (int x = 0; x < out.width; ++x, p += 3) {
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>((sums[x] + counts[x] / 2) / counts[x]);
        }
    }
    return out;
}

std::string valueText(const ModeReading& reading, int value) {
    if (!reading.valuesRelative) return std::to_string(value);
    if (value == 0) return "MIDDLE";
    return "MIDDLE" + std::string(value > 0 ? "+" : "") + std::to_string(value);
}

std::string verdictText(const ModeReading& r) {
    std::string text = titleOf(kModeTitles, r.mode) + ": ";
    char confidence[16];
    std::snprintf(confidence, sizeof confidence, "%.2f", r.confidence);
    if (r.doubt == Doubt::None && r.straight) {
        return text + "ROW " + valueText(r, *r.straight) + " STRAIGHT (" + confidence + ")";
    }
    return text + "CANNOT TELL: " + titleOf(kDoubtTitles, r.doubt);
}

std::string rowText(const ModeReading& r, const RowReading& row, bool straight) {
    std::string text = (straight ? "> " : "") + valueText(r, row.value) + (row.marked ? "*" : "");
    if (row.fault != RowFault::None) return text + " " + titleOf(kFaultTitles, row.fault);
    if (!std::isfinite(row.offsetColumns)) return text + " NOT MEASURED";
    char offset[32];
    std::snprintf(offset, sizeof offset, " %+.1f", row.offsetColumns);
    return text + (std::lround(row.offsetColumns * 10) == 0 ? " 0.0" : offset) +
           (straight ? " STRAIGHT" : "");
}

bool placed(const RowReading& row) {
    return std::any_of(row.outline.begin(), row.outline.end(),
                       [](const PicturePoint& p) { return p.x != 0 || p.y != 0; });
}

PicturePoint between(PicturePoint a, PicturePoint b) {
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

/// One row: its outline, struck through when left out, and its label right of it (left of
/// it where the picture ends first).
void drawRow(Canvas& canvas, const ModeReading& r, const RowReading& row, double shrink, int scale,
             int width) {
    std::array<PicturePoint, 4> corner{};
    for (std::size_t i = 0; i < corner.size(); ++i) {
        corner[i] = {row.outline[i].x / shrink, row.outline[i].y / shrink};
    }
    const bool straight = r.doubt == Doubt::None && r.straight && *r.straight == row.value &&
                          row.fault == RowFault::None;
    const Colour colour = row.fault != RowFault::None ? kLeftOut : straight ? kStraight : kUsed;
    const int thickness = straight ? 2 * scale : scale;
    for (std::size_t i = 0; i < corner.size(); ++i) {
        canvas.line(corner[i], corner[(i + 1) % corner.size()], thickness, colour);
    }
    if (row.fault != RowFault::None) {
        canvas.line(between(corner[0], corner[3]), between(corner[1], corner[2]), scale, colour);
        canvas.line(corner[0], corner[2], scale, colour);
    }
    const std::string label = rowText(r, row, straight);
    const int right = int(std::lround(std::max(corner[1].x, corner[2].x))) + 3 * scale;
    const int left = int(std::lround(std::min(corner[0].x, corner[3].x))) - 3 * scale -
                     Canvas::textWidth(label, scale);
    const int top = int(std::lround(between(corner[1], corner[2]).y)) - kGlyphHeight * scale / 2;
    const bool fitsRight = right + Canvas::textWidth(label, scale) <= width || left < 0;
    canvas.text(fitsRight ? right : left, top, label, scale, colour);
}

}  // namespace

RgbImage buildAnnotation(const GreyImage& picture, const std::vector<ModeReading>& readings) {
    const int side = std::max(picture.width, picture.height);
    const int shrink = std::max(1, (side + kMaxAnnotationSide - 1) / kMaxAnnotationSide);
    RgbImage out = buildShrunk(picture, shrink);
    // Marks and text grow with the picture, so that they read alike on any page.
    constexpr int kPixelsPerScale = 400;
    const int scale = std::max(1, std::min(out.width, out.height) / kPixelsPerScale);
    Canvas canvas(out);
    for (const ModeReading& r : readings) {
        for (const RowReading& row : r.rows) {
            if (placed(row)) drawRow(canvas, r, row, shrink, scale, out.width);
        }
    }
    // The verdicts last, over anything they cover.
    const int lineHeight = (kGlyphHeight + 4) * scale;
    int y = 2 * scale;
    for (const ModeReading& r : readings) {
        const bool told = r.doubt == Doubt::None && r.straight;
        std::string line = verdictText(r);
        if (std::any_of(r.rows.begin(), r.rows.end(), [](auto& row) { return !placed(row); })) {
            line += " (ROWS NOT PLACED)";
        }
        canvas.text(2 * scale, y, line, scale, told ? kStraight : kLeftOut);
        y += lineHeight;
    }
    return out;
}

}  // namespace trevalune::rowreader
