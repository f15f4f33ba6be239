// rowreader-bench: reads a 300-dpi page holding all three modes' sample rows (set all
// items, drawn by the preview, turned 2 degrees and through JPEG) and prints the time of one
// reading, the median of a few.

#include <algorithm>
#include <chrono>
#include <cstdio>
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
    const double decoding = median(rounds, [&] { image = decodeImage(bytes); });
    const double rows = median(rounds, [&] { readRows(image); });
    std::printf(
        "%d x %d pixels (%.0f x %.0f dpi stated): file %.3f s, decoding %.3f s, "
        "readRows %.3f s (medians of %d)\n",
        image.width, image.height, image.dotsPerInch, image.verticalDotsPerInch, reading, decoding,
        rows, rounds);
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
    CLI11_PARSE(app, argc, argv);
    if (!picture.empty()) return timePicture(picture, rounds);

    PageSpec spec;
    spec.kind = PageKind::SetAll;
    Spoiling spoiling;
    spoiling.angleDegrees = 2;
    spoiling.jpegQuality = 85;
    RowPageMaker maker;
    const RowPage page = maker.build(spec, spoiling);
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
