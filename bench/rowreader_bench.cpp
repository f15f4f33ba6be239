// rowreader-bench: reads a 300-dpi page holding all three modes' sample rows (set all
// items, drawn by the preview, turned 2 degrees and through JPEG) and prints the time of one
// reading, the median of a few.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

#include <jpeglib.h>
#include <png.h>
#include <string>
#include <vector>

#include "CLI/CLI.hpp"
#include "common/guarded_main.h"
#include "rowreader/image.h"
#include "tools/row-pages/row_pages.h"

using Seconds = std::chrono::duration<double>;

/// The median of `rounds` times of `step`.
template <class Step>
static double median(int rounds, Step step) {
    std::vector<double> seconds;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        step();
        seconds.push_back(Seconds(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

/// A scan as read-rows takes it: the file read, decoded (turned upright), its rows read.
static int timePicture(const std::string& path, int rounds) {
    using namespace trevalune::rowreader;
    std::vector<std::uint8_t> bytes;
    const double reading = median(rounds, [&] { bytes = readImageFile(path); });
    GreyImage image;
    const double decoding =
        median(rounds, [&] { image = decodeImage(bytes, 0, Resolution::ForReading); });
    const double rows = median(rounds, [&] { readRows(image); });
    std::printf(
        "%d x %d pixels (%.0f x %.0f dpi stated): file %.3f s, decoding %.3f s, "
        "readRows %.3f s (medians of %d)\n",
        image.width, image.height, image.dotsPerInch, image.verticalDotsPerInch, reading, decoding,
        rows, rounds);
    return 0;
}

/// The page cut (or padded with paper) to A4 and written as a scanner writes it: PNG, or
/// JPEG at quality 90 when the name ends in ".jpg", with its resolution stated.
static int savePage(const trevalune::rowreader::GreyImage& page, double dpi,
                    const std::string& path) {
    const int width = static_cast<int>(std::lround(210 / 25.4 * dpi));
    const int height = static_cast<int>(std::lround(297 / 25.4 * dpi));
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height, 255);
    for (int y = 0; y < std::min(height, page.height); ++y) {
        const auto* from = &page.pixels[static_cast<std::size_t>(y) * page.width];
        std::copy(from, from + std::min(width, page.width), &pixels[std::size_t(y) * width]);
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) return 1;
    const auto dots = static_cast<unsigned>(std::lround(dpi));
    if (path.ends_with(".jpg")) {
        jpeg_compress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);  // a failure exits: this is a developer's tool
        jpeg_create_compress(&info);
        jpeg_stdio_dest(&info, file.get());
        info.image_width = static_cast<JDIMENSION>(width);
        info.image_height = static_cast<JDIMENSION>(height);
        info.input_components = 1;
        info.in_color_space = JCS_GRAYSCALE;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        info.density_unit = 1;  // dots per inch
        info.X_density = info.Y_density = static_cast<UINT16>(dots);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = &pixels[std::size_t(info.next_scanline) * width];
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        return 0;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const auto perMetre = static_cast<png_uint_32>(std::lround(dpi / 0.0254));
    png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, &pixels[std::size_t(y) * width]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return 0;
}

static int run(int argc, char** argv) {
    using namespace trevalune::rowreader;
    CLI::App app{"Times the sample-row reader on a 300-dpi page of all three modes"};
    int rounds = 5;
    app.add_option("--rounds", rounds, "readings to take the median of")
        ->check(CLI::PositiveNumber);
    std::string picture;
    app.add_option("--picture", picture, "a picture file: its reading and decoding timed apart");
    double dpi = 300;
    app.add_option("--dpi", dpi, "the drawn page's resolution")->check(CLI::Range(100, 1200));
    std::string save;
    app.add_option("--save", save,
                   "writes the drawn page cut to A4 as FILE.png or FILE.jpg instead of timing it");
    CLI11_PARSE(app, argc, argv);
    if (!picture.empty()) return timePicture(picture, rounds);

    PageSpec spec;
    spec.kind = PageKind::SetAll;
    Spoiling spoiling;
    spoiling.dpi = dpi;
    spoiling.angleDegrees = 2;
    spoiling.jpegQuality = 85;
    RowPageMaker maker;
    const RowPage page = maker.build(spec, spoiling);
    if (!save.empty()) return savePage(page.image, dpi, save);
    std::vector<double> seconds;
    std::size_t found = 0;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const auto readings = readRows(page.image, {{}, page.printed});
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        found = static_cast<std::size_t>(std::count_if(
            readings.begin(), readings.end(), [](auto& r) { return r.straight.has_value(); }));
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%d x %d pixels, %zu of 3 straight rows found: %.3f s a reading (median of %d)\n",
                page.image.width, page.image.height, found, seconds[seconds.size() / 2], rounds);
    return 0;
}

int main(int argc, char** argv) {
    return trevalune::guardedMain("rowreader-bench", [&] { return run(argc, argv); });
}
