#include "tools/row-pages/row_pages.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "preview/decoder.h"
#include "preview/png_page.h"
#include "preview/renderer.h"
#include "rowreader/sideways.h"

namespace trevalune::rowreader {

namespace {

/// The preview draws one pixel per 1/360 inch across; its dot rows are four pixels, which
/// makes its pixels square.
constexpr double kPreviewDpi = 360;

std::string bytesOf(const Timeline& timeline) {
    std::string out;
    for (const auto& document : timeline.documents()) out += document;
    return out;
}

std::vector<int> around(int centre, PrintMode mode) {
    std::vector<int> values;
    const int half = traits(mode).sampleHalfWidth;
    for (int v = centre - half; v <= centre + half; ++v) values.push_back(v);
    return values;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<float> v;
    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return v[static_cast<std::size_t>(y) * width + x];
    }
};

void gaussian(Picture& p, double sigma) {
    if (sigma < 0.2) return;
    const int r = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> k(static_cast<std::size_t>(2 * r + 1));
    float sum = 0;
    for (int i = -r; i <= r; ++i)
        sum += k[static_cast<std::size_t>(i + r)] =
            static_cast<float>(std::exp(-i * i / (2 * sigma * sigma)));
    for (auto& w : k) w /= sum;
    std::vector<float> tmp(p.v.size());
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            float s = 0;
            for (int i = -r; i <= r; ++i) s += k[static_cast<std::size_t>(i + r)] * p.at(x + i, y);
            tmp[static_cast<std::size_t>(y) * p.width + x] = s;
        }
    }
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            float s = 0;
            for (int i = std::max(-r, -y); i <= std::min(r, p.height - 1 - y); ++i) {
                s += k[static_cast<std::size_t>(i + r)] *
                     tmp[static_cast<std::size_t>(y + i) * p.width + x];
            }
            p.v[static_cast<std::size_t>(y) * p.width + x] = s;
        }
    }
}

std::vector<std::uint8_t> throughJpeg(const std::vector<std::uint8_t>& grey, int width, int height,
                                      int quality) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        auto* row =
            const_cast<JSAMPLE*>(grey.data() + static_cast<std::size_t>(c.next_scanline) * width);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);

    jpeg_decompress_struct d{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, buffer, size);
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height);
    while (d.output_scanline < d.output_height) {
        JSAMPLE* row = out.data() + static_cast<std::size_t>(d.output_scanline) * width;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::free(buffer);
    return out;
}

/// The preview's pixels: one a unit across, four a dot row down, inside its margins.
constexpr int kPixelsPerDotRow = 4;
constexpr int kMarginRows = 12;
constexpr int kRowDotRows = 4 * 16;  // four passes of the sixteen pins

/// Where a sample row starts, in preview pixels down; rows are counted in print order.
double rowTop(const preview::Page& page, std::size_t row) {
    const auto& passes = page.passes();
    const std::size_t pass = std::min(4 * row, passes.size() - 1);
    return (passes[pass].row + kMarginRows) * kPixelsPerDotRow;
}

void crease(Picture& ink, const preview::Page& page, const Spoiling& s) {
    const auto shift = static_cast<int>(std::lround(s.creaseShift));
    if (shift == 0) return;
    const double at = rowTop(page, static_cast<std::size_t>(s.creaseRow)) +
                      s.creaseAt * kRowDotRows * kPixelsPerDotRow;
    for (int y = static_cast<int>(at); y < ink.height; ++y) {
        float* line = ink.v.data() + static_cast<std::size_t>(y) * ink.width;
        if (shift > 0) {
            std::copy_backward(line, line + ink.width - shift, line + ink.width);
            std::fill(line, line + shift, 0.0f);
        } else {
            std::copy(line - shift, line + ink.width, line);
            std::fill(line + ink.width + shift, line + ink.width, 0.0f);
        }
    }
}

void cut(Picture& ink, const preview::Page& page, const Spoiling& s) {
    if (s.cutRow == 0) return;
    const double rowPixels = kRowDotRows * kPixelsPerDotRow;
    const std::size_t rows = page.passes().size() / 4;
    int from = 0, to = ink.height;
    if (s.cutRow > 0) {
        from = static_cast<int>(rowTop(page, 0) + s.cutRow * rowPixels);
    } else {
        to = static_cast<int>(rowTop(page, rows - 1) - s.cutRow * rowPixels);
    }
    ink.v.erase(ink.v.begin() + static_cast<std::ptrdiff_t>(to) * ink.width, ink.v.end());
    ink.v.erase(ink.v.begin(), ink.v.begin() + static_cast<std::ptrdiff_t>(from) * ink.width);
    ink.height = to - from;
}

/// The page twice in one picture, as two sheets laid on the glass together.
GreyImage buildTwoPages(GreyImage page, PagesInPicture pages) {
    if (pages == PagesInPicture::One) return page;
    GreyImage two = page;
    const auto w = static_cast<std::size_t>(page.width);
    if (pages == PagesInPicture::Stacked) {
        two.pixels.insert(two.pixels.end(), page.pixels.begin(), page.pixels.end());
        two.height *= 2;
        return two;
    }
    two.width *= 2;
    two.pixels.resize(page.pixels.size() * 2);
    for (std::size_t y = 0; y < static_cast<std::size_t>(page.height); ++y) {
        const auto from = page.pixels.begin() + static_cast<std::ptrdiff_t>(y * w);
        std::copy(from, from + static_cast<std::ptrdiff_t>(w),
                  two.pixels.begin() + static_cast<std::ptrdiff_t>(2 * y * w));
        std::copy(from, from + static_cast<std::ptrdiff_t>(w),
                  two.pixels.begin() + static_cast<std::ptrdiff_t>((2 * y + 1) * w));
    }
    return two;
}

/// What the tool sends for the page, and the blocks it prints, top to bottom.
Timeline printedPage(const PageSpec& spec, std::vector<PrintedBlock>& printed) {
    ModeValues values;
    for (PrintMode m : kAllModes) {
        values.of(m) = modeValueOf(m, std::to_string(spec.centres[modeIndex(m)]));
    }
    switch (spec.kind) {
        case PageKind::SetSingle:
            printed.push_back({spec.mode, around(spec.centres[modeIndex(spec.mode)], spec.mode)});
            return buildSetSingleItem(spec.mode, values.of(spec.mode), 0);
        case PageKind::SetAll:
            for (PrintMode m : kAllModes)
                printed.push_back({m, around(spec.centres[modeIndex(m)], m)});
            return buildSetAllItems(values, 0);
        case PageKind::TestPrint: {
            std::vector<int> rows;
            for (int v = spec.centres[0] - 3; v <= spec.centres[0] + 3; ++v) rows.push_back(v);
            printed.push_back({PrintMode::HighSpeed, rows});
            return buildAlignmentTest(values.of(PrintMode::HighSpeed));
        }
    }
    throw std::logic_error("unknown page kind");
}

/// The first page the printer would print, the sample rows at their best values' offsets.
preview::Page firstPageOf(const Timeline& timeline, const std::array<int, 3>& best) {
    std::optional<preview::Page> first;
    preview::Renderer renderer({best, 6000}, [&](const preview::Page& p) {
        if (!first) first = p;
    });
    for (const preview::Event& e : preview::decodeAll(bytesOf(timeline))) renderer.apply(e);
    renderer.finish();
    if (!first || first->passes().empty())
        throw std::runtime_error("the page prints no sample rows");
    return *first;
}

/// The scanner's grid: turned, at its own resolution on each axis, each pixel the mean of
/// its area.
Picture scanGrid(const Picture& ink, const Spoiling& spoiling) {
    const double scale = kPreviewDpi / spoiling.dpi;  // preview pixels per output pixel across
    const double scaleDown = scale / spoiling.verticalStretch;
    const double angle = spoiling.angleDegrees * std::numbers::pi / 180;
    const double c = std::cos(angle), s = std::sin(angle);
    const int width =
        static_cast<int>((ink.width * std::abs(c) + ink.height * std::abs(s)) / scale) + 20;
    // A margin of paper round the page, except where the picture's edge cuts it.
    const int height =
        static_cast<int>((ink.width * std::abs(s) + ink.height * std::abs(c)) / scaleDown) +
        (spoiling.cutRow == 0 ? 20 : 0);
    const int steps = std::max(1, static_cast<int>(std::ceil(scale)));
    Picture out{width, height, std::vector<float>(static_cast<std::size_t>(width) * height)};
    auto sample = [&](double x, double y) {
        const double fx = std::floor(x), fy = std::floor(y);
        const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
        const auto ax = static_cast<float>(x - fx), ay = static_cast<float>(y - fy);
        return (ink.at(x0, y0) * (1 - ax) + ink.at(x0 + 1, y0) * ax) * (1 - ay) +
               (ink.at(x0, y0 + 1) * (1 - ax) + ink.at(x0 + 1, y0 + 1) * ax) * ay;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum = 0;
            for (int j = 0; j < steps; ++j) {
                for (int i = 0; i < steps; ++i) {
                    const double ox = (x + (i + 0.5) / steps - width / 2.0) * scale;
                    const double oy = (y + (j + 0.5) / steps - height / 2.0) * scaleDown;
                    const double px = ox * c + oy * s + ink.width / 2.0;
                    const double py = -ox * s + oy * c + ink.height / 2.0;
                    sum += sample(px - 0.5, py - 0.5);
                }
            }
            out.v[static_cast<std::size_t>(y) * width + x] =
                sum / static_cast<float>(steps * steps);
        }
    }
    return out;
}

/// The sensor's noise: Box-Muller from a seeded generator, so every platform draws the same.
class Noise final {
public:
    explicit Noise(unsigned seed) : random_(seed) {}
    double operator()() {
        const double u1 = (random_() + 1.0) / 4294967297.0, u2 = random_() / 4294967296.0;
        return std::sqrt(-2 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
    }

private:
    std::mt19937 random_;
};

/// Grey paper lit unevenly, the ink on it, and the sensor's noise.
GreyImage buildGrey(const Picture& out, const Spoiling& spoiling, Noise& normal) {
    GreyImage image;
    image.width = out.width;
    image.height = out.height;
    image.dotsPerInch = spoiling.dpiInFile ? spoiling.dpi : 0;
    if (spoiling.verticalStretch != 1)
        image.verticalDotsPerInch = image.dotsPerInch * spoiling.verticalStretch;
    image.pixels.resize(out.v.size());
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const double light =
                1 - spoiling.unevenLight * (0.6 * x / out.width + 0.4 * y / out.height);
            const double paper = 240 * light;
            const std::size_t at = static_cast<std::size_t>(y) * out.width + x;
            const double v = paper * (1 - 0.9 * out.v[at]) + spoiling.noise * normal();
            image.pixels[at] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
        }
    }
    return image;
}

/// Dark bands above and below the page, as an open lid or a desk leaves them.
void addBands(GreyImage& image, const Spoiling& spoiling, Noise& normal) {
    const double pixelsPerMillimetre = spoiling.dpi * spoiling.verticalStretch / 25.4;
    const auto band = [&](double millimetres) {
        std::vector<std::uint8_t> rows(
            static_cast<std::size_t>(std::lround(millimetres * pixelsPerMillimetre)) * image.width);
        for (auto& p : rows) {
            p = static_cast<std::uint8_t>(
                std::clamp(std::lround(spoiling.bandGrey + spoiling.noise * normal()), 0L, 255L));
        }
        return rows;
    };
    auto& pixels = image.pixels;
    const std::vector<std::uint8_t> top = band(spoiling.bandTopMillimetres);
    const std::vector<std::uint8_t> bottom = band(spoiling.bandBottomMillimetres);
    pixels.insert(pixels.begin(), top.begin(), top.end());
    pixels.insert(pixels.end(), bottom.begin(), bottom.end());
    image.height += static_cast<int>((top.size() + bottom.size()) / image.width);
}

}  // namespace

struct RowPageMaker::Fonts {
    preview::GlyphPainter glyphs;
};

RowPageMaker::RowPageMaker() : fonts_(std::make_unique<Fonts>()) {}
RowPageMaker::~RowPageMaker() = default;

RowPage RowPageMaker::build(const PageSpec& spec, const Spoiling& spoiling) {
    RowPage page;
    const preview::Page first = firstPageOf(printedPage(spec, page.printed), spec.best);
    const preview::Bitmap drawn = preview::drawPage(first, fonts_->glyphs);
    static_assert(preview::PngStyle{}.pixelsPerRow == kPixelsPerDotRow &&
                  preview::PngStyle{}.marginRows == kMarginRows);

    // Ink as the ribbon left it, bled into the paper.
    Picture ink{drawn.width, drawn.height, std::vector<float>(drawn.pixels.size())};
    for (std::size_t i = 0; i < drawn.pixels.size(); ++i)
        ink.v[i] = static_cast<float>(drawn.pixels[i] / 255.0 * spoiling.ribbon);
    gaussian(ink, spoiling.inkSpread);
    crease(ink, first, spoiling);
    cut(ink, first, spoiling);

    Picture out = scanGrid(ink, spoiling);
    gaussian(out, spoiling.lensBlur);
    Noise normal(spoiling.seed);
    page.image = buildGrey(out, spoiling, normal);
    addBands(page.image, spoiling, normal);
    page.image = buildTwoPages(std::move(page.image), spoiling.pages);
    page.image = buildQuarterTurn(page.image, spoiling.quarterTurns);
    if (spoiling.jpegQuality > 0) {
        page.image.pixels = throughJpeg(page.image.pixels, page.image.width, page.image.height,
                                        spoiling.jpegQuality);
    }
    return page;
}

Outcome judgeReading(const ModeReading& reading, int best, int centre) {
    // No rows to stand on (none found, two pages, another mode): a row claimed is wrong.
    if (reading.rows.empty()) return reading.straight ? Outcome::Wrong : Outcome::CannotTell;
    if (reading.valuesRelative) best -= centre;
    const bool inside = best >= reading.rows.front().value && best <= reading.rows.back().value;
    switch (reading.doubt) {
        case Doubt::None:
            return reading.straight == best ? Outcome::Right : Outcome::Wrong;
        case Doubt::NoneStraight:
            return inside ? Outcome::Wrong : Outcome::Right;
        default:
            return Outcome::CannotTell;
    }
}

}  // namespace trevalune::rowreader
