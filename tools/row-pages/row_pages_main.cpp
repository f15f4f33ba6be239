// row-pages: draws the reader's test set through the print preview, spoils every page as a
// scanner or a camera would, reads it back and counts per mode: straight row found (or "none
// straight" where the best lies outside the rows), cannot tell, wrong row.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "CLI/CLI.hpp"
#include "common/guarded_main.h"
#include "operations/alignment_loop.h"
#include "rowreader/sideways.h"
#include "tools/row-pages/row_pages.h"

namespace {

using namespace trevalune;
using namespace trevalune::rowreader;

/// The ways a page reaches the reader; every page is read in each of them.
std::vector<std::pair<const char*, Spoiling>> spoilings() {
    return {
        {"scan 300 dpi", {}},
        {"scan 150 dpi", {.dpi = 150, .noise = 3}},
        {"scan 200 dpi, ink spread, JPEG 75",
         {.dpi = 200, .inkSpread = 1.5, .lensBlur = 0.8, .jpegQuality = 75}},
        {"scan 600 dpi, turned -1.2",
         {.dpi = 600, .angleDegrees = -1.2, .lensBlur = 1.2, .noise = 4}},
        {"scan 300 dpi, turned 5, JPEG 50",
         {.dpi = 300, .angleDegrees = 5, .noise = 3, .jpegQuality = 50}},
        {"faded ribbon, turned -4.5",
         {.dpi = 300, .angleDegrees = -4.5, .inkSpread = 1, .ribbon = 0.45}},
        {"photo, uneven light, JPEG 85",
         {.dpi = 250,
          .dpiInFile = false,
          .angleDegrees = 2.7,
          .lensBlur = 1,
          .noise = 6,
          .jpegQuality = 85,
          .unevenLight = 0.45}},
        {"photo, blur, noise, JPEG 95",
         {.dpi = 400,
          .dpiInFile = false,
          .angleDegrees = -3.3,
          .lensBlur = 1.5,
          .noise = 8,
          .jpegQuality = 95,
          .unevenLight = 0.3}},
        // Harsher than a careful technician's scan: what the reader must still never misread.
        {"scan 150 dpi, turned 5, JPEG 50, noise",
         {.dpi = 150, .angleDegrees = 5, .noise = 6, .jpegQuality = 50}},
        {"ribbon nearly spent, dark corner, blur",
         {.lensBlur = 1.5, .unevenLight = 0.6, .ribbon = 0.3}},
        {"photo 200 dpi, turned -5, JPEG 60",
         {.dpi = 200,
          .dpiInFile = false,
          .angleDegrees = -5,
          .lensBlur = 1.2,
          .noise = 8,
          .jpegQuality = 60,
          .unevenLight = 0.5}},
        {"scan 600 dpi, ink spread, blur",
         {.dpi = 600, .inkSpread = 2.5, .lensBlur = 2, .jpegQuality = 70}},
        // Paper as it is handled: the row at the picture's edge, a crease that moves the paper.
        {"first row cut by the picture's edge", {.cutRow = 0.55}},
        {"last row cut by the picture's edge, turned 1", {.angleDegrees = 1, .cutRow = -0.3}},
        {"crease through the middle row, shifted", {.creaseRow = 2, .creaseShift = 3}},
        {"crease a quarter down the second row, shifted back, 200 dpi",
         {.dpi = 200, .noise = 3, .creaseRow = 1, .creaseAt = 0.3, .creaseShift = -4}},
        // Pictures as scanners and phones store them, and what lies round the page.
        {"sideways 90, no tag", {.quarterTurns = 1}},
        {"sideways 270, no tag, 200 dpi, JPEG 80",
         {.dpi = 200, .jpegQuality = 80, .quarterTurns = 3}},
        {"unequal axes 300 x 450 dpi", {.verticalStretch = 1.5}},
        {"unequal axes 300 x 600 dpi, turned 1", {.angleDegrees = 1, .verticalStretch = 2}},
        {"two pages side by side", {.pages = PagesInPicture::SideBySide}},
        {"two pages stacked", {.pages = PagesInPicture::Stacked}},
        {"open lid: black band 2.5 mm at the top", {.bandTopMillimetres = 2.5}},
        {"open lid: black band 6 mm at the bottom", {.noise = 3, .bandBottomMillimetres = 6}},
        {"photo on a wooden desk: 8 mm top and bottom",
         {.dpi = 250,
          .dpiInFile = false,
          .lensBlur = 1,
          .noise = 5,
          .jpegQuality = 85,
          .bandTopMillimetres = 8,
          .bandBottomMillimetres = 8,
          .bandGrey = 105}},
    };
}

/// The label glyphs of clean 600-dpi pages of every mode, averaged per character, written as
/// the reader's known shapes.
int writeShapes(RowPageMaker& maker, const std::string& path) {
    std::array<GlyphShape, kLabelCharacters.size()> sums{};
    std::array<int, kLabelCharacters.size()> counts{};
    Spoiling clean;
    clean.dpi = 600;
    for (PrintMode mode : kAllModes) {
        for (int centre : {12, 17, 36, 57, 78, 93}) {
            PageSpec spec;
            spec.mode = mode;
            spec.centres[modeIndex(mode)] = centre;
            spec.best = spec.centres;
            const RowPage page = maker.build(spec, clean);
            const auto blocks = readLabelShapes(page.image);
            if (blocks.size() != page.printed.size()) continue;
            for (std::size_t b = 0; b < blocks.size(); ++b) {
                const std::vector<int>& values = page.printed[b].values;
                if (blocks[b].size() != values.size()) continue;
                for (std::size_t r = 0; r < values.size(); ++r) {
                    const std::string text =
                        (values[r] == centre ? "*" : "") + std::to_string(values[r]);
                    if (blocks[b][r].size() != text.size()) continue;
                    for (std::size_t g = 0; g < text.size(); ++g) {
                        const std::size_t c = kLabelCharacters.find(text[g]);
                        for (std::size_t i = 0; i < sums[c].size(); ++i)
                            sums[c][i] += blocks[b][r][g][i];
                        ++counts[c];
                    }
                }
            }
        }
    }
    std::ofstream out(path);
    out << "// Written by row-pages --shapes: the label glyphs as the reader cuts them from the\n"
           "// preview's clean pages, averaged over the three modes' condensed fonts.\n"
           "#include \"rowreader/labels.h\"\n\nnamespace trevalune::rowreader {\n\n"
           "// clang-format off\n"
           "const std::array<GlyphShape, kLabelCharacters.size()> kLabelShapes = {{\n";
    for (std::size_t c = 0; c < sums.size(); ++c) {
        if (counts[c] == 0)
            throw std::runtime_error(std::string("no glyph seen for ") + kLabelCharacters[c]);
        normaliseShape(sums[c]);
        out << "    {{ // '" << kLabelCharacters[c] << "', " << counts[c] << " glyphs\n";
        for (int y = 0; y < kShapeHeight; ++y) {
            out << "       ";
            for (int x = 0; x < kShapeWidth; ++x) {
                char cell[16];
                std::snprintf(cell, sizeof cell, " %6.3ff,",
                              sums[c][static_cast<std::size_t>(y * kShapeWidth + x)]);
                out << cell;
            }
            out << "\n";
        }
        out << "    }},\n";
    }
    out << "}};\n// clang-format on\n\n}  // namespace trevalune::rowreader\n";
    std::printf("shapes written to %s\n", path.c_str());
    return 0;
}

/// The guided alignment on pages of the test set: from a start 2, 5 and 10 values from the
/// printer's best, either way, in each mode, how many pages it prints before it saves.
int countAlignPages(RowPageMaker& maker) {
    constexpr int kMaxPages = 10;
    Spoiling scan;
    for (PrintMode mode : kAllModes) {
        std::printf("%-6d", modeNumber(mode));
        for (int away : {2, -2, 5, -5, 10, -10}) {
            const int start = traits(mode).sampleHalfWidth + 20;
            PageSpec spec;
            spec.mode = mode;
            spec.best[modeIndex(mode)] = start + away;
            AlignmentLoop loop(start, false, kMaxPages);
            int pages = 0;
            AlignStep step{AlignStep::Kind::PrintAround, start};
            while (step.kind == AlignStep::Kind::PrintAround) {
                spec.centres[modeIndex(mode)] = step.value;
                const RowPage page = maker.build(spec, scan);
                const auto readings = readRows(page.image, {mode, page.printed});
                step = loop.next(buildAlignReading(readings.front()));
                ++pages;
            }
            const bool right =
                step.kind == AlignStep::Kind::Save && step.value == spec.best[modeIndex(mode)];
            std::printf(" %+3d: %d%s", away, pages,
                        right                                ? ""
                        : step.kind == AlignStep::Kind::Save ? " WRONG"
                                                             : " stopped");
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    return 0;
}

struct Tally {
    int right = 0, cannot = 0, wrong = 0;
    int labelled = 0, mislabelled = 0;  ///< blocks whose labels were read, and read wrong
    int wrongMode = 0;                  ///< blocks read as this mode where none was printed
};

}  // namespace

static int run(int argc, char** argv) {
    CLI::App app{"Reads the reader's test set and counts right, cannot tell and wrong per mode"};
    int beyond = 2;
    bool withoutPrinted = false;
    std::string save;
    bool verbose = false;
    app.add_flag("--verbose", verbose, "a line per page: what was read and how long it took");
    app.add_option("--beyond", beyond, "best values this far outside the printed rows too");
    app.add_flag("--without-printed", withoutPrinted,
                 "read without telling the reader what was printed");
    app.add_option("--save", save, "write every page as a PGM into this folder");
    const auto ways = spoilings();
    int only = -1;
    app.add_option("--spoiling", only, "read only the pages spoilt the Nth way (from 0)")
        ->check(CLI::Range(0, static_cast<int>(ways.size()) - 1));
    std::string shapes;
    app.add_option("--shapes", shapes,
                   "measure the label glyphs on clean pages and write them as the reader's known "
                   "shapes (rowreader/label_shapes.cpp)");
    std::vector<int> leaveOut;
    app.add_option("--leave-out", leaveOut,
                   "leave out the pages spoilt these ways (a way the reader still misreads)");
    int every = 1;
    app.add_option("--every", every, "read only every Nth page of each way of spoiling")
        ->check(CLI::PositiveNumber);
    double floor = 0;
    app.add_option("--floor", floor,
                   "fail (exit 1) when fewer than this part of the blocks is found (0 to 1)");
    bool align = false;
    app.add_flag("--align", align,
                 "count the pages the guided alignment takes from starts 2, 5 and 10 away");
    CLI11_PARSE(app, argc, argv);

    RowPageMaker maker;
    if (!shapes.empty()) return writeShapes(maker, shapes);
    if (align) return countAlignPages(maker);
    std::array<Tally, 3> tally{};
    const auto started = std::chrono::steady_clock::now();
    int pages = 0;
    int seen = 0;
    auto read = [&](const PageSpec& spec, const Spoiling& spoiling, const char* how) {
        if (seen++ % every != 0) return;
        const auto t0 = std::chrono::steady_clock::now();
        const RowPage page = maker.build(spec, spoiling);
        const auto t1 = std::chrono::steady_clock::now();
        ReadOptions options;
        if (!withoutPrinted) options.printed = page.printed;
        if (!save.empty()) {
            std::filesystem::create_directories(save);
            std::ofstream out(save + "/page-" + std::to_string(++pages) + ".pgm", std::ios::binary);
            out << "P5\n" << page.image.width << " " << page.image.height << "\n255\n";
            out.write(reinterpret_cast<const char*>(page.image.pixels.data()),
                      static_cast<std::streamsize>(page.image.pixels.size()));
        }
        // As read-rows reads: a page laid sideways is read turned.
        const std::vector<ModeReading> readings = readRowsAnyWayUp(page.image, options).readings;
        if (verbose) {
            std::printf(
                "%s kind %d: drawn %.2f s, read %.2f s;", how, static_cast<int>(spec.kind),
                std::chrono::duration<double>(t1 - t0).count(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count());
            for (const ModeReading& r : readings) {
                std::printf(" [mode %d best %d straight %s doubt %d conf %.2f:", modeNumber(r.mode),
                            spec.best[modeIndex(r.mode)],
                            r.straight ? std::to_string(*r.straight).c_str() : "-",
                            static_cast<int>(r.doubt), r.confidence);
                for (const RowReading& row : r.rows)
                    std::printf(" %d:%.2f±%.2f", row.value, row.offsetColumns, row.noiseColumns);
                std::printf("]");
            }
            std::printf("\n");
            std::fflush(stdout);
        }
        for (const PrintedBlock& printed : page.printed) {
            const auto i = modeIndex(printed.mode);
            const int centre = printed.values[printed.values.size() / 2];
            // Every block read as this mode counts (a picture may hold the page twice): one
            // wrong row makes the mode wrong, else one found makes it found.
            Outcome o = Outcome::CannotTell;
            const ModeReading* wrong = nullptr;
            for (const ModeReading& r : readings) {
                if (r.mode != printed.mode) continue;
                if (!r.rows.empty() && r.rows.front().valueFromLabel) {
                    ++tally[i].labelled;
                    // Rows may be missing; a value read must still be the printed run's.
                    bool right = true;
                    for (std::size_t k = 0; k < r.rows.size(); ++k) {
                        right = right && r.rows[k].value - r.rows[0].value == static_cast<int>(k) &&
                                std::find(printed.values.begin(), printed.values.end(),
                                          r.rows[k].value) != printed.values.end();
                    }
                    if (!right) ++tally[i].mislabelled;
                }
                const Outcome one = judgeReading(r, spec.best[i], centre);
                if (one == Outcome::Wrong) wrong = &r;
                if (one == Outcome::Right && o == Outcome::CannotTell) o = Outcome::Right;
            }
            if (wrong) o = Outcome::Wrong;
            if (o == Outcome::Right) ++tally[i].right;
            if (o == Outcome::CannotTell) ++tally[i].cannot;
            if (o == Outcome::Wrong) {
                ++tally[i].wrong;
                std::printf("WRONG: %s, page kind %d, mode %d, best %d, read %s (doubt %d)\n", how,
                            static_cast<int>(spec.kind), modeNumber(printed.mode), spec.best[i],
                            wrong->straight ? std::to_string(*wrong->straight).c_str() : "-",
                            static_cast<int>(wrong->doubt));
            }
        }
        // Rows read as a mode the page does not print: the mode is wrong.
        for (const ModeReading& r : readings) {
            const bool printed =
                std::any_of(page.printed.begin(), page.printed.end(),
                            [&](const PrintedBlock& b) { return b.mode == r.mode; });
            if (printed || r.rows.empty()) continue;
            ++tally[modeIndex(r.mode)].wrongMode;
            std::printf(
                "WRONG MODE: %s, page kind %d (mode %d printed first), read as mode %d "
                "(straight %s, doubt %d)\n",
                how, static_cast<int>(spec.kind), modeNumber(page.printed.front().mode),
                modeNumber(r.mode), r.straight ? std::to_string(*r.straight).c_str() : "-",
                static_cast<int>(r.doubt));
        }
    };

    for (std::size_t s = 0; s < ways.size(); ++s) {
        const auto& [how, spoiling] = ways[s];
        if (only >= 0 && static_cast<std::size_t>(only) != s) continue;
        if (std::find(leaveOut.begin(), leaveOut.end(), static_cast<int>(s)) != leaveOut.end())
            continue;
        for (PrintMode mode : kAllModes) {
            PageSpec spec;
            spec.mode = mode;
            const int half = traits(mode).sampleHalfWidth;
            for (int d = -half - beyond; d <= half + beyond; ++d) {
                spec.best = spec.centres;
                spec.best[modeIndex(mode)] += d;
                read(spec, spoiling, how);
            }
        }
        PageSpec all;
        all.kind = PageKind::SetAll;
        for (int d = -4; d <= 4; d += 2) {
            all.best = {all.centres[0] + d, all.centres[1] - d / 2, all.centres[2] + d};
            read(all, spoiling, how);
        }
        PageSpec test;
        test.kind = PageKind::TestPrint;
        test.centres[0] = 31;
        for (int d = -5; d <= 5; ++d) {
            test.best[0] = 31 + d;
            read(test, spoiling, how);
        }
        std::fflush(stdout);
    }
    std::printf("%-6s %8s %12s %6s %10s %12s %11s\n", "mode", "found", "cannot tell", "wrong",
                "labelled", "mislabelled", "wrong mode");
    for (PrintMode mode : kAllModes) {
        const Tally& t = tally[modeIndex(mode)];
        std::printf("%-6d %8d %12d %6d %10d %12d %11d\n", modeNumber(mode), t.right, t.cannot,
                    t.wrong, t.labelled, t.mislabelled, t.wrongMode);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("(%.0f s)\n", seconds);
    int found = 0, blocks = 0, wrong = 0;
    for (const Tally& t : tally) {
        found += t.right;
        blocks += t.right + t.cannot + t.wrong;
        wrong += t.wrong + t.mislabelled + t.wrongMode;
    }
    // A wrong row, a misread label or a wrong mode fails the set whatever the rest found.
    if (wrong > 0 || found < floor * blocks) {
        std::printf("FAILED: %d wrong, %d of %d found (floor %.2f)\n", wrong, found, blocks, floor);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    return trevalune::guardedMain("row-pages", [&] { return run(argc, argv); });
}
