// row-pages: draws the reader's test set through the print preview, spoils every page as a
// scanner or a camera would, reads it back and counts per mode: straight row found (or "none
// straight" where the best lies outside the rows), cannot tell, wrong row.

#include <algorithm>
#include <array>
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

struct SetOptions {
    int beyond = 2;
    bool withoutPrinted = false;
    std::string save;
    bool verbose = false;
    int only = -1;
    std::string shapes;
    std::vector<int> leaveOut;
    int every = 1;
    double floor = 0;
    bool align = false;
};

void addOptions(CLI::App& app, SetOptions& o, std::size_t ways) {
    app.add_flag("--verbose", o.verbose, "a line per page: what was read and how long it took");
    app.add_option("--beyond", o.beyond, "best values this far outside the printed rows too");
    app.add_flag("--without-printed", o.withoutPrinted,
                 "read without telling the reader what was printed");
    app.add_option("--save", o.save, "write every page as a PGM into this folder");
    app.add_option("--spoiling", o.only, "read only the pages spoilt the Nth way (from 0)")
        ->check(CLI::Range(0, static_cast<int>(ways) - 1));
    app.add_option("--shapes", o.shapes,
                   "measure the label glyphs on clean pages and write them as the reader's known "
                   "shapes (rowreader/label_shapes.cpp)");
    app.add_option("--leave-out", o.leaveOut,
                   "leave out the pages spoilt these ways (a way the reader still misreads)");
    app.add_option("--every", o.every, "read only every Nth page of each way of spoiling")
        ->check(CLI::PositiveNumber);
    app.add_option("--floor", o.floor,
                   "fail (exit 1) when fewer than this part of the blocks is found (0 to 1)");
    app.add_flag("--align", o.align,
                 "count the pages the guided alignment takes from starts 2, 5 and 10 away");
}

std::string straightText(const ModeReading& r) {
    return r.straight ? std::to_string(*r.straight) : "-";
}

void savePgm(const GreyImage& image, const std::string& folder, int number) {
    std::filesystem::create_directories(folder);
    std::ofstream out(folder + "/page-" + std::to_string(number) + ".pgm", std::ios::binary);
    out << "P5\n" << image.width << " " << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.pixels.data()),
              static_cast<std::streamsize>(image.pixels.size()));
}

void printReadings(const PageSpec& spec, const std::vector<ModeReading>& readings) {
    for (const ModeReading& r : readings) {
        std::printf(" [mode %d best %d straight %s doubt %d conf %.2f:", modeNumber(r.mode),
                    spec.best[modeIndex(r.mode)], straightText(r).c_str(),
                    static_cast<int>(r.doubt), r.confidence);
        for (const RowReading& row : r.rows)
            std::printf(" %d:%.2f±%.2f", row.value, row.offsetColumns, row.noiseColumns);
        std::printf("]");
    }
    std::printf("\n");
    std::fflush(stdout);
}

/// Rows may be missing; a value read must still be the printed run's.
bool labelsRight(const ModeReading& r, const PrintedBlock& printed) {
    bool right = true;
    for (std::size_t k = 0; k < r.rows.size(); ++k) {
        right = right && r.rows[k].value - r.rows[0].value == static_cast<int>(k) &&
                std::find(printed.values.begin(), printed.values.end(), r.rows[k].value) !=
                    printed.values.end();
    }
    return right;
}

/// Reads the pages of the set and counts what the reader made of each printed block.
class SetReading final {
public:
    SetReading(RowPageMaker& maker, const SetOptions& options) : maker_(maker), options_(options) {}

    void read(const PageSpec& spec, const Spoiling& spoiling, const char* how) {
        if (seen_++ % options_.every != 0) return;
        const auto t0 = std::chrono::steady_clock::now();
        const RowPage page = maker_.build(spec, spoiling);
        const auto t1 = std::chrono::steady_clock::now();
        ReadOptions read;
        if (!options_.withoutPrinted) read.printed = page.printed;
        if (!options_.save.empty()) savePgm(page.image, options_.save, ++pages_);
        // As read-rows reads: a page laid sideways is read turned.
        const std::vector<ModeReading> readings = readRowsAnyWayUp(page.image, read).readings;
        if (options_.verbose) {
            std::printf(
                "%s kind %d: drawn %.2f s, read %.2f s;", how, static_cast<int>(spec.kind),
                std::chrono::duration<double>(t1 - t0).count(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count());
            printReadings(spec, readings);
        }
        for (const PrintedBlock& printed : page.printed) judge(spec, printed, readings, how);
        countWrongModes(spec, page, readings, how);
    }

    /// The table per mode; true when the set passes (no wrong row, label or mode, and at
    /// least the floor found).
    bool report(double seconds) const {
        std::printf("%-6s %8s %12s %6s %10s %12s %11s\n", "mode", "found", "cannot tell", "wrong",
                    "labelled", "mislabelled", "wrong mode");
        for (PrintMode mode : kAllModes) {
            const Tally& t = tally_[modeIndex(mode)];
            std::printf("%-6d %8d %12d %6d %10d %12d %11d\n", modeNumber(mode), t.right, t.cannot,
                        t.wrong, t.labelled, t.mislabelled, t.wrongMode);
        }
        std::printf("(%.0f s)\n", seconds);
        int found = 0, blocks = 0, wrong = 0;
        for (const Tally& t : tally_) {
            found += t.right;
            blocks += t.right + t.cannot + t.wrong;
            wrong += t.wrong + t.mislabelled + t.wrongMode;
        }
        // A wrong row, a misread label or a wrong mode fails the set whatever the rest found.
        if (wrong > 0 || found < options_.floor * blocks) {
            std::printf("FAILED: %d wrong, %d of %d found (floor %.2f)\n", wrong, found, blocks,
                        options_.floor);
            return false;
        }
        return true;
    }

private:
    /// Every block read as the printed block's mode counts (a picture may hold the page
    /// twice): one wrong row makes the mode wrong, else one found makes it found.
    void judge(const PageSpec& spec, const PrintedBlock& printed,
               const std::vector<ModeReading>& readings, const char* how) {
        const auto i = modeIndex(printed.mode);
        Tally& t = tally_[i];
        const int centre = printed.values[printed.values.size() / 2];
        Outcome o = Outcome::CannotTell;
        const ModeReading* wrong = nullptr;
        for (const ModeReading& r : readings) {
            if (r.mode != printed.mode) continue;
            if (!r.rows.empty() && r.rows.front().valueFromLabel) {
                ++t.labelled;
                if (!labelsRight(r, printed)) ++t.mislabelled;
            }
            const Outcome one = judgeReading(r, spec.best[i], centre);
            if (one == Outcome::Wrong) wrong = &r;
            if (one == Outcome::Right && o == Outcome::CannotTell) o = Outcome::Right;
        }
        if (wrong) o = Outcome::Wrong;
        if (o == Outcome::Right) ++t.right;
        if (o == Outcome::CannotTell) ++t.cannot;
        if (o == Outcome::Wrong) {
            ++t.wrong;
            std::printf("WRONG: %s, page kind %d, mode %d, best %d, read %s (doubt %d)\n", how,
                        static_cast<int>(spec.kind), modeNumber(printed.mode), spec.best[i],
                        straightText(*wrong).c_str(), static_cast<int>(wrong->doubt));
        }
    }

    /// Rows read as a mode the page does not print: the mode is wrong.
    void countWrongModes(const PageSpec& spec, const RowPage& page,
                         const std::vector<ModeReading>& readings, const char* how) {
        for (const ModeReading& r : readings) {
            const bool printed =
                std::any_of(page.printed.begin(), page.printed.end(),
                            [&](const PrintedBlock& b) { return b.mode == r.mode; });
            if (printed || r.rows.empty()) continue;
            ++tally_[modeIndex(r.mode)].wrongMode;
            std::printf(
                "WRONG MODE: %s, page kind %d (mode %d printed first), read as mode %d "
                "(straight %s, doubt %d)\n",
                how, static_cast<int>(spec.kind), modeNumber(page.printed.front().mode),
                modeNumber(r.mode), straightText(r).c_str(), static_cast<int>(r.doubt));
        }
    }

    RowPageMaker& maker_;
    const SetOptions& options_;
    std::array<Tally, 3> tally_{};
    int pages_ = 0;
    int seen_ = 0;
};

/// Every page of the set spoilt one way: each mode's page with its best value from below to
/// above the printed rows, set-all pages with the three bests moving apart, and test prints.
void readSpoiltPages(SetReading& set, const Spoiling& spoiling, const char* how, int beyond) {
    for (PrintMode mode : kAllModes) {
        PageSpec spec;
        spec.mode = mode;
        const int half = traits(mode).sampleHalfWidth;
        for (int d = -half - beyond; d <= half + beyond; ++d) {
            spec.best = spec.centres;
            spec.best[modeIndex(mode)] += d;
            set.read(spec, spoiling, how);
        }
    }
    PageSpec all;
    all.kind = PageKind::SetAll;
    for (int d = -4; d <= 4; d += 2) {
        all.best = {all.centres[0] + d, all.centres[1] - d / 2, all.centres[2] + d};
        set.read(all, spoiling, how);
    }
    PageSpec test;
    test.kind = PageKind::TestPrint;
    test.centres[0] = 31;
    for (int d = -5; d <= 5; ++d) {
        test.best[0] = 31 + d;
        set.read(test, spoiling, how);
    }
    std::fflush(stdout);
}

}  // namespace

static int run(int argc, char** argv) {
    CLI::App app{"Reads the reader's test set and counts right, cannot tell and wrong per mode"};
    const auto ways = spoilings();
    SetOptions options;
    addOptions(app, options, ways.size());
    CLI11_PARSE(app, argc, argv);

    RowPageMaker maker;
    if (!options.shapes.empty()) return writeShapes(maker, options.shapes);
    if (options.align) return countAlignPages(maker);
    const auto started = std::chrono::steady_clock::now();
    SetReading set(maker, options);
    for (std::size_t s = 0; s < ways.size(); ++s) {
        const auto& [how, spoiling] = ways[s];
        const bool left = std::find(options.leaveOut.begin(), options.leaveOut.end(),
                                    static_cast<int>(s)) != options.leaveOut.end();
        if ((options.only >= 0 && static_cast<std::size_t>(options.only) != s) || left) continue;
        readSpoiltPages(set, spoiling, how, options.beyond);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return set.report(seconds) ? 0 : 1;
}

int main(int argc, char** argv) {
    return trevalune::guardedMain("row-pages", [&] { return run(argc, argv); });
}
