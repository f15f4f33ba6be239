#include "rowreader/reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>

#include "rowreader/labels.h"
#include "rowreader/page_geometry.h"
#include "rowreader/straight_row.h"

namespace trevalune::rowreader {

namespace {

/// A picture's value between pixels, from the four around it; `px(i, j)` gives a pixel (0
/// outside the picture).
template <class Pixel>
float bilinear(double x, double y, Pixel px) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const auto ax = static_cast<float>(x - fx), ay = static_cast<float>(y - fy);
    const float top = px(x0, y0) * (1 - ax) + px(x0 + 1, y0) * ax;
    const float bottom = px(x0, y0 + 1) * (1 - ax) + px(x0 + 1, y0 + 1) * ax;
    return top * (1 - ay) + bottom * ay;
}

/// Leaves new elements uninitialised: the page's ink is written whole at once, and zeroing
/// tens of megabytes first would cost as much again.
template <class T>
struct Uninitialised : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = Uninitialised<U>;
    };
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
};

/// Ink as a fraction of full black, 0..255, after the paper's own brightness is taken out.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t, Uninitialised<std::uint8_t>> v;

    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return v[static_cast<std::size_t>(y) * width + x];
    }
    float sample(double x, double y) const {
        return bilinear(x, y, [this](int i, int j) { return at(i, j); });
    }
};

/// The paper is judged in blocks about a sixtieth of the picture's longer side: small enough
/// to follow uneven light, and never under 16 pixels, so that each holds plenty of paper.
constexpr int kPaperBlocks = 60, kLeastPaperBlock = 16;

/// A block's paper is the level its brightest tenth of pixels reaches (most of a page is
/// paper, and the odd bright speck is not).
constexpr int kPaperTenths = 10;

/// Paper is never taken darker than this (of 255): ink is measured as a part of it, and a
/// block with no paper at all (a black border) would otherwise divide by nothing.
constexpr float kDarkestPaper = 24.0f;

/// The paper's brightness per block of `size` pixels, `columns` by `rows` blocks.
struct PaperBlocks {
    int size = 0, columns = 0, rows = 0;
    std::vector<float> level;
};

/// Each block's paper: the bright end of its own pixels.
PaperBlocks paperOf(const GreyImage& image) {
    const int w = image.width, h = image.height;
    const int block = std::max(kLeastPaperBlock, std::max(w, h) / kPaperBlocks);
    const int bw = (w + block - 1) / block, bh = (h + block - 1) / block;
    PaperBlocks paper{block, bw, bh, std::vector<float>(static_cast<std::size_t>(bw) * bh)};
    for (int by = 0; by < bh; ++by) {
        for (int bx = 0; bx < bw; ++bx) {
            std::array<int, 256> histogram{};
            int count = 0;
            for (int y = by * block; y < std::min(h, (by + 1) * block); ++y) {
                for (int x = bx * block; x < std::min(w, (bx + 1) * block); ++x) {
                    ++histogram[image.at(x, y)];
                    ++count;
                }
            }
            int seen = 0, level = 255;
            while (level > 0 && (seen += histogram[level]) < count / kPaperTenths) --level;
            paper.level[static_cast<std::size_t>(by) * bw + bx] = static_cast<float>(level);
        }
    }
    return paper;
}

/// A block that is mostly ink takes its brightest neighbour's paper.
PaperBlocks litOf(const PaperBlocks& paper) {
    const int bw = paper.columns, bh = paper.rows;
    PaperBlocks lit{paper.size, bw, bh, std::vector<float>(paper.level.size())};
    for (int by = 0; by < bh; ++by) {
        for (int bx = 0; bx < bw; ++bx) {
            float best = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = std::clamp(bx + dx, 0, bw - 1),
                              y = std::clamp(by + dy, 0, bh - 1);
                    best = std::max(best, paper.level[static_cast<std::size_t>(y) * bw + x]);
                }
            }
            lit.level[static_cast<std::size_t>(by) * bw + bx] = std::max(best, kDarkestPaper);
        }
    }
    return lit;
}

/// Where a pixel lies between the centres of two blocks: their indices and the part of the
/// way from the first to the second.
struct Between {
    int first, second;
    float part;
};

/// Pixel `i` between the centres of `blocks` blocks of `size` pixels.
Between betweenOf(int i, int blocks, int size) {
    const double g = std::clamp((i + 0.5) / size - 0.5, 0.0, blocks - 1.0);
    const int first = std::min(static_cast<int>(g), blocks - 1);
    return Between{first, std::min(first + 1, blocks - 1), static_cast<float>(g - first)};
}

/// Uneven light and a grey paper: the paper's brightness is the bright end of each block
/// (most of a page is paper), and ink is measured against it, so a shadow is not ink.
Ink inkOf(const GreyImage& image) {
    const int w = image.width, h = image.height;
    const PaperBlocks lit = litOf(paperOf(image));
    const int bw = lit.columns;
    // Where each column lies between the blocks' centres is the same on every row: worked
    // out once, not for every pixel (this loop touches every pixel of the page).
    std::vector<Between> columns(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) columns[static_cast<std::size_t>(x)] = betweenOf(x, bw, lit.size);
    Ink ink{w, h, {}};
    ink.v.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const Between down = betweenOf(y, lit.rows, lit.size);
        const float fy = down.part;
        const float* top = &lit.level[static_cast<std::size_t>(down.first) * bw];
        const float* bottom = &lit.level[static_cast<std::size_t>(down.second) * bw];
        const std::uint8_t* in = &image.pixels[static_cast<std::size_t>(y) * w];
        std::uint8_t* out = &ink.v[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) {
            const auto [x0, x1, fx] = columns[static_cast<std::size_t>(x)];
            const float bg = (top[x0] * (1 - fx) + top[x1] * fx) * (1 - fy) +
                             (bottom[x0] * (1 - fx) + bottom[x1] * fx) * fy;
            const float value = 255.0f * (bg - in[x]) / bg;
            out[x] = static_cast<std::uint8_t>(std::clamp(value, 0.0f, 255.0f));
        }
    }
    return ink;
}

Ink shrink(const Ink& ink, int f) {
    Ink out{(ink.width + f - 1) / f, (ink.height + f - 1) / f, {}};
    std::vector<int> sum(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < ink.height; ++y) {
        const std::uint8_t* in = &ink.v[static_cast<std::size_t>(y) * ink.width];
        int* row = &sum[static_cast<std::size_t>(y / f) * out.width];
        for (int ox = 0, x = 0; ox < out.width; ++ox) {
            for (const int end = std::min(x + f, ink.width); x < end; ++x) row[ox] += in[x];
        }
    }
    out.v.resize(sum.size());
    for (std::size_t i = 0; i < sum.size(); ++i)
        out.v[i] = static_cast<std::uint8_t>(sum[i] / (f * f));
    return out;
}

/// The printed lines run along the angle that makes the page's ink profile across them the
/// sharpest: rows of bars and text then fall into few bins instead of smearing.
double skewOf(const Ink& work) {
    struct Dot {
        float x, y, w;
    };
    std::vector<Dot> dots;
    for (int y = 0; y < work.height; ++y) {
        for (int x = 0; x < work.width; ++x) {
            const float v = work.at(x, y);
            if (v > 40) dots.push_back({static_cast<float>(x), static_cast<float>(y), v});
        }
    }
    if (dots.empty()) return 0;
    const int span = work.width + work.height + 2;
    std::vector<double> bins(static_cast<std::size_t>(2 * span));
    auto score = [&](double angle) {
        std::fill(bins.begin(), bins.end(), 0.0);
        const double s = std::sin(angle), c = std::cos(angle);
        for (const Dot& d : dots) {
            const double v = -d.x * s + d.y * c + span;
            bins[static_cast<std::size_t>(v)] += d.w;
        }
        double sum = 0;
        for (double b : bins) sum += b * b;
        return sum;
    };
    const double degree = std::numbers::pi / 180;
    double best = 0, bestScore = -1;
    for (double a = -6; a <= 6.001; a += 0.25) {
        if (const double sc = score(a * degree); sc > bestScore) bestScore = sc, best = a;
    }
    const double coarse = best;
    for (double a = coarse - 0.3; a <= coarse + 0.301; a += 0.02) {
        if (const double sc = score(a * degree); sc > bestScore) bestScore = sc, best = a;
    }
    return best * degree;
}

/// The page turned so that printed lines run along u: (u, v) in full-resolution pixels.
struct Frame {
    double angle = 0;
    double c = 1, s = 0;
    double u0 = 0, v0 = 0;  ///< frame coordinates of the frame image's (0, 0)

    double x(double u, double v) const { return u * c - v * s; }
    double y(double u, double v) const { return u * s + v * c; }
};

Frame frameFor(double angle, int width, int height) {
    Frame f{angle, std::cos(angle), std::sin(angle)};
    double umin = 1e18, vmin = 1e18;
    for (const auto& [x, y] : {std::pair{0, 0}, {width, 0}, {0, height}, {width, height}}) {
        umin = std::min(umin, x * f.c + y * f.s);
        vmin = std::min(vmin, -x * f.s + y * f.c);
    }
    f.u0 = umin;
    f.v0 = vmin;
    return f;
}

/// The working picture turned upright, in working pixels.
struct Upright {
    int width = 0, height = 0;
    std::vector<float> v;
    float at(int x, int y) const { return v[static_cast<std::size_t>(y) * width + x]; }
};

Upright uprightOf(const Ink& work, const Frame& f) {
    Upright out;
    out.width = static_cast<int>(work.width * std::abs(f.c) + work.height * std::abs(f.s)) + 2;
    out.height = static_cast<int>(work.width * std::abs(f.s) + work.height * std::abs(f.c)) + 2;
    out.v.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int j = 0; j < out.height; ++j) {
        for (int i = 0; i < out.width; ++i) {
            const double u = i + f.u0, v = j + f.v0;
            out.v[static_cast<std::size_t>(j) * out.width + i] = work.sample(f.x(u, v), f.y(u, v));
        }
    }
    return out;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    const auto k = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
}

/// Stretches of a profile above `level`, as [from, to) index pairs, gaps up to `join` closed.
std::vector<std::pair<int, int>> runsAbove(const std::vector<double>& p, double level, int join) {
    std::vector<std::pair<int, int>> runs;
    for (int i = 0; i < static_cast<int>(p.size()); ++i) {
        if (p[static_cast<std::size_t>(i)] <= level) continue;
        if (!runs.empty() && i - runs.back().second <= join) {
            runs.back().second = i + 1;
        } else {
            runs.push_back({i, i + 1});
        }
    }
    return runs;
}

/// A row of bars as first seen on the working picture.
struct Candidate {
    double top = 0, bottom = 0;  ///< working pixels, upright
    std::vector<double> groups;  ///< bar group centres, working pixels, left to right
    double pitch = 0;
    double labelLeft = 0, labelRight = 0;  ///< ink just beyond the first and last group
};

/// Chains of at least four evenly spaced centres, as (first, count), the longest first; one
/// chain per stretch of the line (a chain does not share centres with a longer one).
std::vector<std::pair<std::size_t, std::size_t>> chainsOf(const std::vector<double>& centres) {
    std::vector<std::pair<std::size_t, std::size_t>> chains;
    for (std::size_t k = 0; k + 1 < centres.size(); ++k) {
        const double pitch = centres[k + 1] - centres[k];
        std::size_t count = 2;
        while (k + count < centres.size() &&
               std::abs(centres[k + count] - centres[k + count - 1] - pitch) < 0.1 * pitch) {
            ++count;
        }
        if (count >= 4) chains.push_back({k, count});
    }
    std::stable_sort(chains.begin(), chains.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<std::pair<std::size_t, std::size_t>> kept;
    for (const auto& c : chains) {
        const bool apart = std::all_of(kept.begin(), kept.end(), [&](const auto& k) {
            return c.first + c.second <= k.first || k.first + k.second <= c.first;
        });
        // Only a chain nearly as long as the longest is another page's row: a label's digits
        // or a title's letters may line up evenly for a few.
        if (apart && (kept.empty() || 4 * c.second >= 3 * kept.front().second)) kept.push_back(c);
    }
    return kept;
}

/// Every seventh pixel is enough to find how dark the page's darkest ink is, at a seventh of
/// the cost.
constexpr std::size_t kInkSampleStride = 7;

/// Ink fainter than this part of the page's darkest is left out of the rows' profile.
constexpr double kFaintPart = 0.2;

/// A stretch of the profile across the lines is a row where it rises this part of the way
/// from the paper's level to the darkest rows'.
constexpr double kRowLevel = 0.12;

/// A stretch lower than this, in working pixels, is too low to hold a row of bars.
constexpr int kLeastRowHeight = 8;

/// Along a row's middle, a group is where the ink rises this part of the way from the
/// median to the darkest.
constexpr double kGroupLevel = 0.3;

/// A group is narrow: wider than this part of the group pitch, the stretch is text.
constexpr double kWidestGroupPart = 0.4;

/// Groups closer than this, in working pixels, are too fine to be measured.
constexpr double kLeastGroupPitch = 6;

/// Where a label beside a group is looked for, in group pitches from the group's middle.
constexpr double kLabelNear = 0.25, kLabelFar = 0.8;

/// Faint ink (light the paper estimate missed, noise that cannot fall below paper) is left
/// out: summed over a whole line it would rival a row of narrow bars and join the rows.
double faintInkOf(const Upright& up) {
    std::vector<double> sample;
    for (std::size_t i = 0; i < up.v.size(); i += kInkSampleStride) sample.push_back(up.v[i]);
    return kFaintPart * percentile(sample, 0.999);
}

/// Each pixel row's ink above the faint level: rows of bars and lines of text stand out.
std::vector<double> inkAcrossOf(const Upright& up) {
    const double faint = faintInkOf(up);
    std::vector<double> across(static_cast<std::size_t>(up.height));
    for (int j = 0; j < up.height; ++j) {
        double sum = 0;
        for (int i = 0; i < up.width; ++i) sum += std::max(0.0, up.at(i, j) - faint);
        across[static_cast<std::size_t>(j)] = sum;
    }
    return across;
}

/// The groups along a stretch of pixel rows, left to right: each one's centre and width.
struct GroupsAlong {
    std::vector<double> centres, widths;
};

/// The groups seen along the middle half of the stretch [from, to), away from its soft edges.
GroupsAlong groupsAlong(const Upright& up, int from, int to) {
    GroupsAlong groups;
    const int h = to - from;
    std::vector<double> along(static_cast<std::size_t>(up.width));
    for (int j = from + h / 4; j < to - h / 4; ++j) {
        for (int i = 0; i < up.width; ++i) along[static_cast<std::size_t>(i)] += up.at(i, j);
    }
    const double aBase = percentile(along, 0.5), aPeak = percentile(along, 1.0);
    if (aPeak <= aBase) return groups;
    // A group whose passes lie apart shows shoulders of half its ink either side: gaps
    // far narrower than the space between groups belong to the group.
    const int join = std::max(1, h / 16);
    for (const auto& [a, b] : runsAbove(along, aBase + kGroupLevel * (aPeak - aBase), join)) {
        double sw = 0, sx = 0;
        for (int i = a; i < b; ++i) {
            const double w = along[static_cast<std::size_t>(i)] - aBase;
            sw += w;
            sx += w * i;
        }
        groups.centres.push_back(sx / sw);
        groups.widths.push_back(b - a);
    }
    return groups;
}

/// The ink between columns a and b of the stretch [from, to).
double inkBetween(const Upright& up, double a, double b, int from, int to) {
    double sum = 0;
    for (int i = std::max(0, static_cast<int>(a)); i < std::min(up.width, static_cast<int>(b));
         ++i) {
        for (int j = from; j < to; ++j) sum += up.at(i, j);
    }
    return sum;
}

/// The rows of bars on the stretch [from, to): the longest chain of evenly spaced groups; a
/// second as long elsewhere on the line is another page's row beside it (two pages side by
/// side), found as a row of its own.
void addRowsOn(const Upright& up, int from, int to, std::vector<Candidate>& found) {
    const GroupsAlong groups = groupsAlong(up, from, to);
    for (const auto& [bestFirst, bestCount] : chainsOf(groups.centres)) {
        Candidate c{static_cast<double>(from), static_cast<double>(to), {}, 0, 0, 0};
        for (std::size_t k = bestFirst; k < bestFirst + bestCount; ++k) {
            c.groups.push_back(groups.centres[k]);
        }
        c.pitch = (c.groups.back() - c.groups.front()) / static_cast<double>(bestCount - 1);
        const double widest = *std::max_element(
            groups.widths.begin() + static_cast<std::ptrdiff_t>(bestFirst),
            groups.widths.begin() + static_cast<std::ptrdiff_t>(bestFirst + bestCount));
        if (widest > kWidestGroupPart * c.pitch || c.pitch < kLeastGroupPitch) continue;
        // A label stands beside the first group: it tells which way up the page lies.
        const double first = c.groups.front(), last = c.groups.back();
        c.labelLeft =
            inkBetween(up, first - kLabelFar * c.pitch, first - kLabelNear * c.pitch, from, to);
        c.labelRight =
            inkBetween(up, last + kLabelNear * c.pitch, last + kLabelFar * c.pitch, from, to);
        found.push_back(std::move(c));
    }
}

/// Rows of bars: tall stretches of ink whose middle holds evenly spaced narrow groups, all
/// of the row's height (a line of text has neither).
std::vector<Candidate> candidatesOf(const Upright& up) {
    const std::vector<double> across = inkAcrossOf(up);
    // The paper's level between the lines, and the darkest rows'.
    const double base = percentile(across, 0.2), peak = percentile(across, 0.995);
    std::vector<Candidate> found;
    if (peak <= base) return found;
    for (const auto& [from, to] : runsAbove(across, base + kRowLevel * (peak - base), 2)) {
        if (to - from < kLeastRowHeight) continue;
        addRowsOn(up, from, to, found);
    }
    return found;
}

/// The full-resolution ink seen upright: (u, v) in full pixels along and across the lines.
struct FullView {
    const Ink& ink;
    const Frame& f;
    double k;  ///< full pixels per working pixel

    float at(double u, double v) const {
        const double uu = u + f.u0 * k, vv = v + f.v0 * k;
        return ink.sample(f.x(uu, vv) + (k - 1) / 2, f.y(uu, vv) + (k - 1) / 2);
    }
};

/// Sides of a picture, as bits of a set.
enum Side : std::uint8_t { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

/// One row measured at full resolution.
struct Measured {
    double top = 0, height = 0;  ///< full pixels, upright
    double pitch = 0;            ///< full pixels between bar groups
    double firstGroup = 0;
    std::vector<double> offsets;  ///< per group, full pixels: reverse passes right of forward
    /// per group read, full pixels: how far passes 1 and 3 part beyond 2 and 4 (0 on paper
    /// that lies flat; a crease between passes moves one pair and not the other)
    std::vector<double> unlike;
    int groupsFound = 0;
    std::array<double, 4> passInk{};  ///< each pass's ink over the groups read
    double spread = 0;                ///< a group's horizontal spread, full pixels (its width)
    double blur = 0;                  ///< how soft the row's lower edge is, full pixels
    std::uint8_t edges = 0;           ///< the `Side`s of the picture its top or bottom meets
    std::array<PicturePoint, 4> outline{};
};

/// Where the ink of a profile gathers: the centroid in a window of half-width `half` that
/// follows it until it settles. Paper (the low quarter of the profile) weighs nothing, and
/// the window's edge pixels count by the part inside, so the result moves smoothly.
double settleCentroid(const std::vector<double>& p, double start, double half) {
    const double paper = percentile(p, 0.25);
    double c = start;
    for (int iteration = 0; iteration < 30; ++iteration) {
        double sw = 0, sx = 0;
        const int a = std::max(0, static_cast<int>(std::floor(c - half)));
        const int b =
            std::min(static_cast<int>(p.size()) - 1, static_cast<int>(std::ceil(c + half)));
        for (int i = a; i <= b; ++i) {
            const double inside =
                std::clamp(std::min(i + 0.5 - (c - half), c + half - (i - 0.5)), 0.0, 1.0);
            const double w = std::max(0.0, p[static_cast<std::size_t>(i)] - paper) * inside;
            sw += w;
            sx += w * i;
        }
        if (sw <= 0) return c;
        const double next = sx / sw;
        if (std::abs(next - c) < 1e-4) return next;
        c = next;
    }
    return c;
}

Measured measure(const Ink& ink, const Frame& f, const Candidate& cand, int scale,
                 const RowPattern* pattern) {
    Measured m;
    const double k = scale;
    m.pitch = cand.pitch * k;
    m.firstGroup = (cand.groups.front() + 0.5) * k - 0.5;
    // Columns per pixel is not known before the mode: take the narrowest pattern's group as
    // the least, the widest's as the most a group covers.
    const double groupHalf =
        0.5 * m.pitch *
        (pattern ? static_cast<double>(kGroupColumns + 1) / pattern->groupPitchColumns : 0.1);
    const double window = 0.5 * m.pitch;
    const FullView view{ink, f, k};
    auto at = [&](double u, double v) { return view.at(u, v); };
    m.groupsFound = static_cast<int>(cand.groups.size());
    auto picture = [&](double u, double v) {
        const double uu = u + f.u0 * k, vv = v + f.v0 * k;
        return PicturePoint{f.x(uu, vv) + (k - 1) / 2, f.y(uu, vv) + (k - 1) / 2};
    };
    auto inside = [&](double u, double v) {
        const PicturePoint p = picture(u, v);
        return p.x >= 0 && p.y >= 0 && p.x <= ink.width - 1 && p.y <= ink.height - 1;
    };

    // The row's exact top and bottom: the half-height of its ink across the groups.
    const double top0 = (cand.top - 1) * k, bottom0 = (cand.bottom + 1) * k;
    std::vector<double> down;
    for (double v = top0 - 2 * k; v < bottom0 + 2 * k; v += 1) {
        double sum = 0;
        for (double g : cand.groups) {
            const double u = (g + 0.5) * k - 0.5;
            for (double du = -groupHalf; du <= groupHalf; du += 1) sum += at(u + du, v);
        }
        down.push_back(sum);
    }
    const double level = 0.5 * percentile(down, 0.75);
    int a = 0, b = static_cast<int>(down.size()) - 1;
    while (a < b && down[static_cast<std::size_t>(a)] < level) ++a;
    while (b > a && down[static_cast<std::size_t>(b)] < level) --b;
    if (b - a < 8) return m;
    auto crossing = [&](int i, int j) {  // between samples i (below) and j (above the level)
        const double lo = down[static_cast<std::size_t>(i)], hi = down[static_cast<std::size_t>(j)];
        return i + (level - lo) / std::max(1e-9, hi - lo) * (j - i);
    };
    const double top = top0 - 2 * k + (a > 0 ? crossing(a - 1, a) : a);
    const double bottom =
        top0 - 2 * k + (b + 1 < static_cast<int>(down.size()) ? crossing(b + 1, b) : b);
    m.top = top;
    m.height = bottom - top;
    const double left = (cand.groups.front() + 0.5) * k - 0.5 - window;
    const double right = (cand.groups.back() + 0.5) * k - 0.5 + window;
    m.outline = {picture(left, top), picture(right, top), picture(right, bottom),
                 picture(left, bottom)};
    // A row whose top or bottom lies at the picture's edge may go on beyond it.
    auto beyond = [&](double u, double v) {
        const PicturePoint p = picture(u, v);
        return static_cast<std::uint8_t>((p.x < 0 ? kLeft : 0) | (p.y < 0 ? kTop : 0) |
                                         (p.x > ink.width - 1 ? kRight : 0) |
                                         (p.y > ink.height - 1 ? kBottom : 0));
    };
    const double edgeReach = std::max(3.0, 0.03 * m.height);
    for (double g : cand.groups) {
        const double u = (g + 0.5) * k - 0.5;
        m.edges = static_cast<std::uint8_t>(m.edges | beyond(u, top - edgeReach) |
                                            beyond(u, bottom + edgeReach));
    }
    // The softness of the lower edge: from a tenth to nine tenths of the row's level.
    {
        const double full = 2 * level;
        int i = b;
        while (i < static_cast<int>(down.size()) - 1 &&
               down[static_cast<std::size_t>(i)] > 0.1 * full)
            ++i;
        int j = b;
        while (j > a && down[static_cast<std::size_t>(j)] < 0.9 * full) --j;
        m.blur = std::max(0, i - j) / 2.56;
    }

    // Four passes, a quarter of the row each; the middle of each is read, away from where
    // passes meet.
    const double band = m.height / 4;
    double spreadSum = 0;
    int spreadCount = 0;
    for (double g : cand.groups) {
        const double u = (g + 0.5) * k - 0.5;
        const int n = static_cast<int>(2 * window) + 1;
        std::array<double, 4> centre{};
        std::array<double, 4> mass{};
        // A group the picture's edge cuts through would read as a narrower one.
        bool ok = inside(u - window, m.top) && inside(u + window, m.top) &&
                  inside(u - window, m.top + m.height) && inside(u + window, m.top + m.height);
        for (int pass = 0; pass < 4; ++pass) {
            std::vector<double> profile(static_cast<std::size_t>(n));
            for (double v = m.top + band * (pass + 0.2); v < m.top + band * (pass + 0.8); v += 1) {
                for (int i = 0; i < n; ++i)
                    profile[static_cast<std::size_t>(i)] += at(u - window + i, v);
            }
            // Start at the densest stretch a group wide, then let the centroid settle there.
            const int w = std::max(1, static_cast<int>(2 * groupHalf));
            double run = 0, bestRun = -1;
            int bestAt = n / 2;
            // Within a quarter pitch: a label may stand close beside the first group.
            // The test print's label stands closer to its first group than a quarter of its
            // wide pitch: the row's height bounds the reach too.
            const int reach = static_cast<int>(0.25 * std::min(m.pitch, m.height));
            for (int i = 0; i < n; ++i) {
                run += profile[static_cast<std::size_t>(i)];
                if (i >= w) run -= profile[static_cast<std::size_t>(i - w)];
                const int place = i - w / 2;
                if (i >= w - 1 && std::abs(place - n / 2) <= reach && run > bestRun) {
                    bestRun = run, bestAt = place;
                }
            }
            if (bestRun <= 0) ok = false;
            mass[static_cast<std::size_t>(pass)] = bestRun - w * percentile(profile, 0.25);
            const double half = groupHalf + std::max(2.0, 0.05 * std::min(m.pitch, 0.6 * m.height));
            centre[static_cast<std::size_t>(pass)] = settleCentroid(profile, bestAt, half);
            if (pass == 0) {
                const double paper = percentile(profile, 0.25);
                double sw = 0, sxx = 0;
                for (int i = 0; i < n; ++i) {
                    const double d = i - centre[0];
                    if (std::abs(d) > half) continue;
                    const double wgt = std::max(0.0, profile[static_cast<std::size_t>(i)] - paper);
                    sw += wgt;
                    sxx += wgt * d * d;
                }
                if (sw > 0) spreadSum += std::sqrt(sxx / sw), ++spreadCount;
            }
        }
        // Passes 1 and 3 print alike, and so do 2 and 4: where they part by more than any
        // lean explains, something else lies in the window (a label close beside the first
        // group, on the first pass), and the group is not read.
        const double columnPixels = m.pitch / (pattern ? pattern->groupPitchColumns : 80);
        const double unlike = (centre[0] - centre[2]) - (centre[1] - centre[3]);
        if (!ok || std::abs(unlike) > 2 * columnPixels) continue;
        m.unlike.push_back(unlike);
        for (std::size_t p = 0; p < 4; ++p) m.passInk[p] += mass[p];
        // Passes 1 and 3 forward, 2 and 4 reverse. Any steady lean of the bars down the row
        // (a turned page, a skewed photo) cancels: these weights remove a straight line.
        m.offsets.push_back((-centre[0] + 3 * centre[1] - 3 * centre[2] + centre[3]) / 4);
    }
    m.spread = spreadCount ? spreadSum / spreadCount : 0;
    return m;
}

/// Rows that belong together: the same group pitch and place, each below the last by about
/// one and a half rows' height (a banner or a wider gap starts a new block).
std::vector<std::vector<std::size_t>> blocksOf(const std::vector<Candidate>& rows) {
    std::vector<std::vector<std::size_t>> blocks;
    // Two pages side by side put two rows on one line: each joins its own page's block.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto fits = [&](const std::vector<std::size_t>& block) {
            const Candidate& last = rows[block.back()];
            const Candidate& next = rows[i];
            // A row the picture's edge cuts is shorter than the block's: the taller of the two
            // sets the spacing, so the cut first row stays in its block.
            const double height = std::max(last.bottom - last.top, next.bottom - next.top);
            return next.top > last.top && next.top - last.top < 1.9 * height &&
                   std::abs(next.pitch - last.pitch) < 0.05 * last.pitch &&
                   std::abs(next.groups.front() - last.groups.front()) < 0.5 * last.pitch;
        };
        const auto block = std::find_if(blocks.rbegin(), blocks.rend(), fits);
        if (block != blocks.rend()) {
            block->push_back(i);
        } else {
            blocks.push_back({i});
        }
    }
    return blocks;
}

/// Where the labels end before the first group's middle, against the group pitch, that tells
/// the test print (0.16 to 0.2) from super-high density (0.36 to 0.52).
constexpr double kTestLabelGap = 0.28;

/// Which of the known patterns a block's rows are, from their own geometry: the test print's
/// groups lie twice as far apart for the rows' height; super-high density's a tenth closer
/// than the other two (by the resolution when the picture gives it); high speed's groups are
/// wider than high density's, once the blur is taken out. Where the labels show two
/// characters, their pitch (against the group pitch) decides.
const RowPattern& classify(double pitch, double height, double spread, double blur, double dpi,
                           double labelPitch, double labelGap) {
    // The labels' characters, 90, 120 and 180 to a line, tell the mode best: their pitch is
    // 0.2, 0.15 and 0.11 of the group pitch. The test print's labels are high speed's
    // characters by groups 1.8 times as far apart: 0.11, as super-high density's.
    if (labelPitch > 0.134) return labelPitch > 0.176 ? kRowPatterns[0] : kRowPatterns[1];
    // The pitch across in inches, where the file gives the resolution across, holds at any
    // aspect: the test print's groups lie 0.8 inch apart, the modes' 0.44 and 0.4. Without
    // it, the pitch against the row's height, which a picture stretched down shrinks.
    const double pitchInches = kLineInches * 80 / 1440;  // high speed and high density
    // Stretched down up to twice, a test print's pitch against the height falls to super-high
    // density's, and so do its labels' shapes. Where the labels end is not stretched: the
    // test print's a fifth of a group pitch before the first group's middle, super-high
    // density's twice as far (their edges' softness, once used here, blurs alike in a photo).
    const double ratio = pitch / height;
    const bool testPrint =
        dpi > 0 ? pitch / dpi > 1.4 * pitchInches
                : ratio > 0.85 || (labelPitch > 0 && ratio > 0.45 && labelGap < kTestLabelGap);
    if (testPrint) return kRowPatterns[3];
    if (labelPitch > 0) return kRowPatterns[2];
    const bool closer = dpi > 0 ? pitch / dpi < 0.95 * pitchInches : pitch / height < 0.594;
    if (closer) return kRowPatterns[2];
    const double width = std::sqrt(std::max(0.0, spread * spread - blur * blur)) / pitch;
    // Six bars over eleven columns spread by 3.43 columns: 0.043 of high speed's pitch,
    // 0.033 of high density's.
    return width > 0.038 ? kRowPatterns[0] : kRowPatterns[1];
}

/// The block's pattern when the caller says what was printed or which mode it wants.
const RowPattern* patternFor(PrintMode mode, bool testPrint) {
    for (const RowPattern& p : kRowPatterns) {
        if (p.mode == mode && p.testPrint == testPrint) return &p;
    }
    return nullptr;
}

/// A row's label as cut from the page: the ink left of the first bar group, along the row's
/// first pass, upright at full resolution, and its glyphs, cut apart at the columns without
/// ink.
struct Label {
    int width = 0, height = 0;
    std::vector<float> v;
    double top = 0, bottom = 0;               ///< the glyphs' line, in the cut's pixels
    std::vector<std::pair<int, int>> glyphs;  ///< [left, right) columns, left to right

    float at(double x, double y) const {
        return bilinear(x, y, [this](int i, int j) {
            return i < 0 || j < 0 || i >= width || j >= height
                       ? 0.0f
                       : v[static_cast<std::size_t>(j) * width + i];
        });
    }
    double centre(std::size_t i) const { return (glyphs[i].first + glyphs[i].second) / 2.0; }
    bool inked(int i, int j, float level) const {
        return v[static_cast<std::size_t>(j) * width + i] > level;
    }
};

/// How far left of the first group's middle the label is looked for, in row heights.
constexpr double kLabelReach = 1.8;

/// The label prints on the row's first pass, a little taller than it: the cut runs from this
/// far above the row's top to this far below it, in row heights.
constexpr double kLabelAbove = 0.15, kLabelBelow = 0.45;

/// A cut narrower or lower than this, in full pixels, cannot hold a glyph that can be read.
constexpr int kLeastLabelCut = 8;

/// The darkest ink in a cut but for a few specks (dust, noise).
constexpr double kInkPeak = 0.995;

/// A cut whose darkest ink is below a tenth of black holds no label: a ribbon nearly spent
/// still shows more.
constexpr double kFaintestLabelPeak = 24;

/// The part of the cut's darkest ink that counts as ink while the group's bars are found.
constexpr double kFirstCutLevel = 0.4;

/// The label's own ink, outside the bars, reaches at least this part of the cut's darkest and
/// this level; else the cut holds no label.
constexpr double kLeastOwnPeak = 0.25, kFaintestOwnPeak = 20;

/// The part of the label's own darkest ink that counts as ink when its glyphs are cut.
constexpr double kGlyphCutLevel = 0.45;

/// A line of glyphs lower than this, in full pixels, cannot be read.
constexpr double kLeastLineHeight = 4;

/// A run of ink with less than this part of the heaviest glyph's is a speck, not a glyph.
constexpr double kSpeckPart = 0.04;

/// The ink left of the row's first group, upright at full resolution. The cut reaches the
/// group's middle: its ink is told apart later. Nothing is cut (no pixels) where the row or
/// the cut is too small.
Label labelCutOf(const FullView& view, const Measured& m) {
    Label label;
    const double u0 = m.firstGroup - kLabelReach * m.height, u1 = m.firstGroup;
    const double v0 = m.top - kLabelAbove * m.height, v1 = m.top + kLabelBelow * m.height;
    label.width = static_cast<int>(u1 - u0);
    label.height = static_cast<int>(v1 - v0);
    if (m.height <= 0 || label.width < kLeastLabelCut || label.height < kLeastLabelCut) {
        return label;
    }
    label.v.resize(static_cast<std::size_t>(label.width) * label.height);
    for (int j = 0; j < label.height; ++j) {
        for (int i = 0; i < label.width; ++i) {
            label.v[static_cast<std::size_t>(j) * label.width + i] = view.at(u0 + i, v0 + j);
        }
    }
    return label;
}

/// The columns of the cut that hold the first group's bars. Its ink, and its passes' where
/// they lie far apart, runs on past the cut's right or lower edge; a label's never does.
std::vector<bool> barColumnsOf(const Label& label, float level) {
    std::vector<bool> bar(static_cast<std::size_t>(label.width));
    std::vector<double> any(static_cast<std::size_t>(label.width));
    for (int i = 0; i < label.width; ++i) {
        for (int j = 0; j < label.height; ++j)
            any[static_cast<std::size_t>(i)] += label.inked(i, j, level);
    }
    // A group's bars are a column apart; a label's glyphs further.
    for (const auto& [a, b] : runsAbove(any, 0, std::max(1, label.height / 50))) {
        bool edge = b == label.width;
        for (int i = a; i < b && !edge; ++i) edge = label.inked(i, label.height - 1, level);
        for (int i = a; i < b; ++i) bar[static_cast<std::size_t>(i)] = edge;
    }
    return bar;
}

/// The darkest of the label's own ink, outside the bars' columns.
double ownInkPeakOf(const Label& label, const std::vector<bool>& bar) {
    std::vector<double> own;
    for (int j = 0; j < label.height; ++j) {
        for (int i = 0; i < label.width; ++i) {
            if (!bar[static_cast<std::size_t>(i)])
                own.push_back(label.v[static_cast<std::size_t>(j) * label.width + i]);
        }
    }
    return percentile(own, kInkPeak);
}

/// The glyphs' line: the stretch of pixel rows holding the most ink outside the bars, kept in
/// the label's `top` and `bottom`.
void findGlyphLine(Label& label, const std::vector<bool>& bar, float level) {
    std::vector<double> across(static_cast<std::size_t>(label.height));
    for (int j = 0; j < label.height; ++j) {
        for (int i = 0; i < label.width; ++i)
            across[static_cast<std::size_t>(j)] +=
                !bar[static_cast<std::size_t>(i)] && label.inked(i, j, level);
    }
    double most = 0;
    for (const auto& [a, b] : runsAbove(across, 0, std::max(1, label.height / 20))) {
        const double mass = std::accumulate(across.begin() + a, across.begin() + b, 0.0);
        if (mass > most) most = mass, label.top = a, label.bottom = b;
    }
}

/// The label's glyphs along its line, cut apart at the columns without ink: those nearest the
/// bars, with no wider gap between them than the line is high.
std::vector<std::pair<int, int>> glyphsOf(const Label& label, const std::vector<bool>& bar,
                                          float level) {
    const double lineHeight = label.bottom - label.top;
    std::vector<double> along(static_cast<std::size_t>(label.width));
    for (int j = static_cast<int>(label.top); j < static_cast<int>(label.bottom); ++j) {
        for (int i = 0; i < label.width; ++i)
            along[static_cast<std::size_t>(i)] +=
                !bar[static_cast<std::size_t>(i)] && label.inked(i, j, level);
    }
    std::vector<std::pair<int, int>> glyphs;
    double heaviest = 0;
    for (const auto& run : runsAbove(along, 0, 0)) {
        heaviest = std::max(
            heaviest, std::accumulate(along.begin() + run.first, along.begin() + run.second, 0.0));
    }
    for (const auto& run : runsAbove(along, 0, 0)) {
        if (std::accumulate(along.begin() + run.first, along.begin() + run.second, 0.0) >
            kSpeckPart * heaviest)
            glyphs.push_back(run);
    }
    std::size_t first = glyphs.size();
    while (first > 0 && (first == glyphs.size() ||
                         glyphs[first].first - glyphs[first - 1].second < lineHeight)) {
        --first;
    }
    return {glyphs.begin() + static_cast<std::ptrdiff_t>(first), glyphs.end()};
}

Label labelOf(const FullView& view, const Measured& m) {
    Label label = labelCutOf(view, m);
    if (label.v.empty()) return label;
    const double peak = percentile(std::vector<double>(label.v.begin(), label.v.end()), kInkPeak);
    if (peak < kFaintestLabelPeak) return label;
    // Blur greys a glyph's thin strokes more than a group's close bars: the label's own ink
    // sets the level it is cut at.
    const double ownPeak =
        ownInkPeakOf(label, barColumnsOf(label, static_cast<float>(kFirstCutLevel * peak)));
    if (ownPeak < kLeastOwnPeak * peak || ownPeak < kFaintestOwnPeak) return label;
    const auto level = static_cast<float>(kGlyphCutLevel * ownPeak);
    const std::vector<bool> bar = barColumnsOf(label, level);
    findGlyphLine(label, bar, level);
    if (label.bottom - label.top < kLeastLineHeight) return label;
    label.glyphs = glyphsOf(label, bar, level);
    return label;
}

/// A label's distance between its last two glyphs (two digits), in full pixels; 0 when it
/// shows fewer.
double labelPitchOf(const Label& label) {
    const std::size_t n = label.glyphs.size();
    return n >= 2 ? label.centre(n - 1) - label.centre(n - 2) : 0.0;
}

/// The labels' character pitch, the middle of the rows' own; 0 when no label shows two glyphs.
double labelPitchOf(const std::vector<Label>& labels) {
    std::vector<double> pitches;
    for (const Label& label : labels) {
        if (const double p = labelPitchOf(label); p > 0) pitches.push_back(p);
    }
    return percentile(pitches, 0.5);
}

/// How far the labels end before their first group's middle, full pixels (the median over
/// the block's labels); 0 when none was read.
double labelGapOf(const std::vector<Label>& labels) {
    std::vector<double> gaps;
    for (const Label& label : labels) {
        if (!label.glyphs.empty()) gaps.push_back(label.width - label.glyphs.back().second);
    }
    return percentile(gaps, 0.5);
}

/// Each glyph of a label in its character cell, `pitch` wide and the line high.
std::vector<GlyphShape> shapesOf(const Label& label, double pitch) {
    std::vector<GlyphShape> shapes;
    const double lineHeight = label.bottom - label.top;
    for (std::size_t g = 0; g < label.glyphs.size(); ++g) {
        // A glyph far wider than a cell is two run together, or not a label.
        if (label.glyphs[g].second - label.glyphs[g].first > 1.3 * pitch) return {};
        GlyphShape shape{};
        const double left = label.centre(g) - pitch / 2;
        for (int b = 0; b < kShapeHeight; ++b) {
            for (int a = 0; a < kShapeWidth; ++a) {
                float sum = 0;
                for (int sy = 0; sy < 3; ++sy) {
                    for (int sx = 0; sx < 3; ++sx) {
                        sum += label.at(
                            left + (a + (sx + 0.5) / 3) * pitch / kShapeWidth - 0.5,
                            label.top + (b + (sy + 0.5) / 3) * lineHeight / kShapeHeight - 0.5);
                    }
                }
                shape[static_cast<std::size_t>(b) * kShapeWidth + a] = sum;
            }
        }
        normaliseShape(shape);
        shapes.push_back(shape);
    }
    return shapes;
}

struct Block {
    const RowPattern* pattern = nullptr;
    std::vector<std::size_t> members;  ///< candidates, top to bottom
    std::vector<Measured> rows;
    std::vector<Label> labels;
    double labelPitch = 0;      ///< the labels' character pitch, full pixels; 0 when unknown
    double pitchPerHeight = 0;  ///< the rows' group pitch against their height
};

/// The glyphs of each row's label in their cells (the block's labels share one pitch).
std::vector<std::vector<GlyphShape>> labelShapesOf(const Block& block) {
    std::vector<std::vector<GlyphShape>> rows;
    for (const Label& label : block.labels) {
        const double lineHeight = label.bottom - label.top;
        // One-digit labels only: their cell from the line's height, as a high-speed digit.
        const double pitch = block.labelPitch > 0 ? block.labelPitch : 0.6 * lineHeight;
        rows.push_back(pitch > 0 ? shapesOf(label, pitch) : std::vector<GlyphShape>{});
    }
    return rows;
}

/// Why a row cannot be measured, from its own shape against the block's: a row the picture's
/// edge meets is cut off, or hidden by a dark border where that edge is a border's (`borders`,
/// the sides cropped away); one whose passes carry unequal ink, that lost most of its groups,
/// or is not as tall as the others is partly hidden. The picture's own edge wins: a border
/// closed or cropped would still leave the row cut.
RowFault faultOf(const Measured& m, double typicalHeight, std::uint8_t borders) {
    if (m.edges & ~borders) return RowFault::CutOff;
    if (m.edges != 0) return RowFault::DarkBorder;
    const bool tall = m.height > 0.9 * typicalHeight && m.height < 1.15 * typicalHeight;
    const auto [least, most] = std::minmax_element(m.passInk.begin(), m.passInk.end());
    const bool evenInk = *least > 0.6 * *most;
    const bool enough =
        m.offsets.size() >= 3 && 2 * m.offsets.size() >= static_cast<std::size_t>(m.groupsFound);
    return tall && evenInk && enough ? RowFault::None : RowFault::Hidden;
}

/// The mean of a row's values and its standard error.
std::pair<double, double> meanOf(const std::vector<double>& v) {
    const auto n = static_cast<double>(v.size());
    const double mean = std::accumulate(v.begin(), v.end(), 0.0) / n;
    double squares = 0;
    for (double d : v) squares += (d - mean) * (d - mean);
    return {mean, v.size() > 1 ? std::sqrt(squares / (n - 1) / n) : 0.0};
}

/// How far, in columns, passes 1 and 3 of a row may part otherwise than its block's beyond
/// their noise: the rows of a flat page all lean alike.
constexpr double kUnlikeSlack = 0.35;

/// How far a group's measured place may stray from its true one, in pixels, on any picture.
constexpr double kCentroidBiasPixels = 0.15;

/// How far beyond a row not measured the line must cross zero before "none straight" holds
/// without it, in values.
constexpr double kBeyondUnmeasured = 1.5;

/// The verdict on the whole rows; rows cut off or hidden are left out, and where the straight
/// row may be one of them the doubt says so.
void judgeWholeRows(ModeReading& reading, double pixelsPerColumn) {
    std::vector<RowReading> whole;
    for (const RowReading& row : reading.rows) {
        if (row.fault == RowFault::None) whole.push_back(row);
    }
    // A centroid is biased by a fraction of a pixel where the bars alias on the picture's grid.
    const double slack = kStepSlack + kCentroidBiasPixels / pixelsPerColumn;
    const StraightRow verdict = buildStraightRow(whole, unitsPerColumn(reading.mode), slack);
    reading.predicted = verdict.predicted;
    reading.doubt = verdict.doubt;
    if (verdict.outOfStep) {
        for (RowReading& row : reading.rows) {
            if (row.value == *verdict.outOfStep) row.fault = RowFault::OutOfStep;
        }
        return;
    }
    // A row not measured may be the straight one: where the line crosses zero beyond the
    // whole rows, on its side, or a row from it while the whole rows cannot tell.
    const RowReading* unmeasured = nullptr;
    if (verdict.predicted && !whole.empty() &&
        (verdict.doubt == Doubt::NoneStraight || verdict.doubt == Doubt::TooClose)) {
        const double c = *verdict.predicted;
        const double end = std::abs(c - whole.front().value) < std::abs(c - whole.back().value)
                               ? whole.front().value
                               : whole.back().value;
        for (const RowReading& row : reading.rows) {
            if (row.measured()) continue;
            const bool beyond = (row.value - end) * (c - end) > 0 &&
                                std::abs(c - end) < std::abs(row.value - end) + kBeyondUnmeasured;
            if (beyond || std::abs(row.value - c) < 1) unmeasured = &row;
        }
    }
    if (unmeasured) {
        reading.doubt = doubtOf(unmeasured->fault);
        return;
    }
    reading.straight = verdict.straight;
    // Rows left out make any verdict less sure, never more.
    reading.confidence = verdict.confidence * static_cast<double>(whole.size()) /
                         static_cast<double>(reading.rows.size());
}

/// Never surer of a measurement than a twentieth of a column: the picture's own faults (the
/// grid the bars alias on, the paper's grain) share no scatter, so a few steady groups would
/// otherwise claim more than any picture shows.
constexpr double kLeastNoiseColumns = 0.05;

/// The groups' scatter, in columns, where no whole row has two groups to scatter: as much as
/// a column, so nothing is claimed from nothing.
constexpr double kUnknownNoiseColumns = 1.0;

/// A column narrower than half a pixel cannot be measured to a fraction of a column.
constexpr double kFinestColumnPixels = 0.5;

/// The block's pixels per column of its mode, from the rows' mean group pitch.
double pixelsPerColumnOf(const Block& block) {
    double pitch = 0;
    for (const Measured& m : block.rows) pitch += m.pitch / static_cast<double>(block.rows.size());
    return pitch / block.pattern->groupPitchColumns;
}

/// Each row's fault from its own shape against the block's middle height.
std::vector<RowFault> rowFaultsOf(const Block& block, std::uint8_t borders) {
    std::vector<double> heights;
    for (const Measured& m : block.rows) heights.push_back(m.height);
    const double typicalHeight = percentile(heights, 0.5);
    std::vector<RowFault> faults;
    for (const Measured& m : block.rows) faults.push_back(faultOf(m, typicalHeight, borders));
    return faults;
}

/// One noise for the block, in columns: the groups' scatter about their row's mean, pooled
/// over the rows without a fault.
double groupNoiseOf(const Block& block, const std::vector<RowFault>& faults,
                    double pixelsPerColumn) {
    double squares = 0;
    int freedom = 0;
    for (std::size_t i = 0; i < block.rows.size(); ++i) {
        if (faults[i] != RowFault::None) continue;
        const Measured& m = block.rows[i];
        const double mean = std::accumulate(m.offsets.begin(), m.offsets.end(), 0.0) /
                            static_cast<double>(m.offsets.size());
        for (double d : m.offsets) squares += (d - mean) * (d - mean);
        freedom += static_cast<int>(m.offsets.size()) - 1;
    }
    return freedom > 0 ? std::sqrt(squares / freedom) / pixelsPerColumn : kUnknownNoiseColumns;
}

/// Passes 1 and 3 part as 2 and 4 do on every row of flat paper: a row where they part
/// otherwise lies across a crease, whatever its offset, and is out of step.
void markCreasedRows(const Block& block, std::vector<RowFault>& faults, double pixelsPerColumn) {
    std::vector<double> unlikes;
    for (std::size_t i = 0; i < block.rows.size(); ++i) {
        if (faults[i] == RowFault::None) unlikes.push_back(meanOf(block.rows[i].unlike).first);
    }
    const double usualUnlike = percentile(unlikes, 0.5);
    for (std::size_t i = 0; i < block.rows.size(); ++i) {
        if (faults[i] != RowFault::None) continue;
        const auto [unlike, error] = meanOf(block.rows[i].unlike);
        const double errorColumns = std::max(kLeastNoiseColumns, error / pixelsPerColumn);
        if (std::abs(unlike - usualUnlike) >
            (kUnlikeSlack + kMargin * errorColumns) * pixelsPerColumn) {
            faults[i] = RowFault::OutOfStep;
        }
    }
}

/// What the block's rows are known by, and how sure each measurement is.
struct RowSources {
    const std::optional<LabelValues>& labels;
    const std::vector<int>* printed;
    double groupNoise = 0;  ///< columns
    double pixelsPerColumn = 0;
};

/// The rows as read. The labels give the values where they can be read; else what was
/// printed; else the places counted from the middle row.
std::vector<RowReading> rowReadingsOf(const Block& block, const std::vector<RowFault>& faults,
                                      const RowSources& sources) {
    std::vector<RowReading> rows;
    const int middle = static_cast<int>(block.rows.size()) / 2;
    for (std::size_t i = 0; i < block.rows.size(); ++i) {
        const Measured& m = block.rows[i];
        RowReading row;
        if (sources.labels) {
            row.value = sources.labels->values[i];
            row.valueFromLabel = true;
            row.marked = sources.labels->marked[i];
        } else {
            row.value = sources.printed ? (*sources.printed)[i] : static_cast<int>(i) - middle;
        }
        row.fault = faults[i];
        row.outline = m.outline;
        if (row.measured()) {
            row.offsetColumns = std::accumulate(m.offsets.begin(), m.offsets.end(), 0.0) /
                                static_cast<double>(m.offsets.size()) / sources.pixelsPerColumn;
            row.noiseColumns =
                std::max(kLeastNoiseColumns,
                         sources.groupNoise / std::sqrt(static_cast<double>(m.offsets.size())));
        }
        rows.push_back(row);
    }
    return rows;
}

/// The doubt that stops a block before any row is weighed, if one does.
std::optional<Doubt> blockDoubtOf(const ModeReading& reading, const RowSources& sources) {
    // Rows labelled otherwise than the page just printed: an old page, or another block.
    if (sources.labels && sources.printed && sources.labels->values != *sources.printed) {
        return Doubt::OtherPage;
    }
    if (sources.pixelsPerColumn < kFinestColumnPixels) return Doubt::TooCoarse;
    // A row across a crease decides nothing, nor do the rows beside it.
    for (const RowReading& row : reading.rows) {
        if (row.fault == RowFault::OutOfStep) return Doubt::OutOfStep;
    }
    return std::nullopt;
}

ModeReading judge(const Block& block, const std::vector<int>* printed, std::uint8_t borders) {
    ModeReading reading;
    reading.mode = block.pattern->mode;
    reading.testPrint = block.pattern->testPrint;
    const double pixelsPerColumn = pixelsPerColumnOf(block);
    std::vector<RowFault> faults = rowFaultsOf(block, borders);
    // The noise is pooled before creases are marked: a creased row's groups scatter as any.
    const double groupNoise = groupNoiseOf(block, faults, pixelsPerColumn);
    markCreasedRows(block, faults, pixelsPerColumn);
    const std::optional<LabelValues> labels = buildLabelValues(labelShapesOf(block));
    const RowSources sources{labels, printed, groupNoise, pixelsPerColumn};
    reading.rows = rowReadingsOf(block, faults, sources);
    reading.valuesRelative = !labels && printed == nullptr;
    if (const std::optional<Doubt> doubt = blockDoubtOf(reading, sources)) {
        reading.doubt = *doubt;
        return reading;
    }
    judgeWholeRows(reading, pixelsPerColumn);
    // With rows of the block not found: counted from the middle, no row's value is known;
    // and a missing row may be the straight one.
    const bool partial = block.rows.size() != static_cast<std::size_t>(block.pattern->rows);
    if (partial && !printed && (!labels || reading.doubt == Doubt::NoneStraight)) {
        reading.straight.reset();
        reading.confidence = 0;
        reading.doubt = Doubt::RowsMissing;
    }
    return reading;
}

/// Large enough to hold a row, and as many pixels as it says.
bool readable(const GreyImage& image) {
    return image.width >= 16 && image.height >= 16 &&
           image.pixels.size() == static_cast<std::size_t>(image.width) * image.height;
}

/// The page found: its ink, its turn, its rows and their blocks, each block's pattern as its
/// geometry and labels say.
struct Page {
    Ink ink;
    int scale = 1;
    Frame frame;
    std::vector<Candidate> found;
    std::vector<Block> blocks;
};

Page pageOf(const GreyImage& image) {
    Page page;
    page.ink = inkOf(image);
    const Ink& ink = page.ink;
    const int scale = page.scale = std::max(1, (std::max(image.width, image.height) + 1199) / 1200);
    const Ink work = shrink(ink, scale);
    double angle = skewOf(work);
    Frame& frame = page.frame;
    frame = frameFor(angle, work.width, work.height);
    Upright up = uprightOf(work, frame);
    std::vector<Candidate>& found = page.found;
    found = candidatesOf(up);
    // Labels stand left of the bars: most of them on the right means the page lies upside
    // down; read it turned round.
    int right = 0;
    for (const Candidate& c : found) right += c.labelRight > 2 * c.labelLeft ? 1 : -1;
    if (right > 0) {
        angle += std::numbers::pi;
        frame = frameFor(angle, work.width, work.height);
        up = uprightOf(work, frame);
        found = candidatesOf(up);
    }

    const FullView view{ink, frame, static_cast<double>(scale)};
    for (const auto& members : blocksOf(found)) {
        Block block;
        double spread = 0, blur = 0, height = 0, pitch = 0;
        std::vector<Measured> rows;
        for (std::size_t i : members) {
            rows.push_back(measure(ink, frame, found[i], scale, nullptr));
            block.labels.push_back(labelOf(view, rows.back()));
            const double n = static_cast<double>(members.size());
            spread += rows.back().spread / n;
            blur += rows.back().blur / n;
            height += rows.back().height / n;
            pitch += rows.back().pitch / n;
        }
        if (height <= 0) continue;
        block.labelPitch = labelPitchOf(block.labels);
        block.pattern = &classify(pitch, height, spread, blur, image.dotsPerInch,
                                  block.labelPitch / pitch, labelGapOf(block.labels) / pitch);
        block.members = members;
        block.pitchPerHeight = pitch / height;
        page.blocks.push_back(std::move(block));
    }
    // A page prints each mode's rows once. A block told high speed or high density by its
    // bars alone (no label read) that meets a block of that mode told by its labels is the
    // other of the two.
    for (Block& guessed : page.blocks) {
        if (guessed.labelPitch > 0 || guessed.pattern->testPrint ||
            guessed.pattern->mode == PrintMode::SuperHighDensity) {
            continue;
        }
        for (const Block& told : page.blocks) {
            if (told.labelPitch > 0 && told.pattern == guessed.pattern) {
                guessed.pattern = &kRowPatterns[guessed.pattern == &kRowPatterns[0] ? 1 : 0];
                break;
            }
        }
    }
    return page;
}

/// Unequal axes (a 300 x 600 dpi scan) stretch the rows down and so their geometry: the
/// picture is read resampled to square pixels at the resolution across. The factor taken
/// down, 1 where the file states nothing or equal axes.
double squareFactor(const GreyImage& image) {
    if (image.dotsPerInch <= 0 || image.verticalDotsPerInch <= 0) return 1;
    const double f = image.dotsPerInch / image.verticalDotsPerInch;
    return std::abs(f - 1) < 0.01 ? 1 : f;
}

GreyImage buildSquarePixels(const GreyImage& image, double f) {
    GreyImage out{image.width,
                  std::max(1, static_cast<int>(std::lround(image.height * f))),
                  {},
                  image.dotsPerInch,
                  image.dotsPerInch};
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        // Shrinking averages the rows it covers, so thin strokes keep their ink.
        const double from = y / f, to = (y + 1) / f;
        for (int x = 0; x < out.width; ++x) {
            double sum = 0, weight = 0;
            for (int r = static_cast<int>(from); r < std::min<double>(to, image.height); ++r) {
                const double w = std::min<double>(r + 1, to) - std::max<double>(r, from);
                if (w <= 0) continue;
                sum += w * image.at(x, r);
                weight += w;
            }
            out.pixels[static_cast<std::size_t>(y) * out.width + x] =
                static_cast<std::uint8_t>(std::lround(weight > 0 ? sum / weight : 255));
        }
    }
    return out;
}

/// The part of a picture that is the page: a dark band along an edge (a scanner's open lid
/// beyond a short page, the desk round a photographed one) is left out, so that it is neither
/// taken for ink nor lights the paper round it, and a row it meets is said to be hidden by it.
struct PageBox {
    int left = 0, top = 0, right = 0, bottom = 0;  ///< [left, right) x [top, bottom)
};

/// A line is outside the page when even its brightest tenth is darker than this part of the
/// paper: a dark corner of uneven light keeps more, a grey desk less.
constexpr double kBorderDarkness = 0.6;

/// The brightest tenth's level of `count` pixels taken `step` apart from `first`.
int brightLevel(const GreyImage& image, std::size_t first, std::size_t step, int count) {
    std::array<int, 256> histogram{};
    const int stride = std::max(1, count / 400);  // a few hundred pixels tell a line's level
    int n = 0;
    for (int i = 0; i < count; i += stride, ++n) ++histogram[image.pixels[first + i * step]];
    int seen = 0, level = 255;
    while (level > 0 && (seen += histogram[static_cast<std::size_t>(level)]) < n / 10) --level;
    return level;
}

PageBox pageBoxOf(const GreyImage& image) {
    const auto w = static_cast<std::size_t>(image.width);
    std::vector<double> rows(static_cast<std::size_t>(image.height));
    std::vector<double> columns(w);
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = brightLevel(image, y * w, 1, image.width);
    for (std::size_t x = 0; x < w; ++x) columns[x] = brightLevel(image, x, w, image.height);
    // Most lines cross the paper: their brightness is the paper's.
    const double dark = kBorderDarkness * percentile(rows, 0.75);
    auto inner = [&](const std::vector<double>& lines, int& first, int& last) {
        first = 0;
        last = static_cast<int>(lines.size());
        while (first < last && lines[static_cast<std::size_t>(first)] < dark) ++first;
        while (last > first && lines[static_cast<std::size_t>(last - 1)] < dark) --last;
    };
    PageBox box;
    inner(rows, box.top, box.bottom);
    inner(columns, box.left, box.right);
    return box;
}

GreyImage buildCropped(const GreyImage& image, const PageBox& box) {
    GreyImage out{box.right - box.left,
                  box.bottom - box.top,
                  {},
                  image.dotsPerInch,
                  image.verticalDotsPerInch};
    out.pixels.reserve(static_cast<std::size_t>(out.width) * out.height);
    for (int y = box.top; y < box.bottom; ++y) {
        const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
        out.pixels.insert(out.pixels.end(), row + box.left, row + box.right);
    }
    return out;
}

/// How far a picture's rows may lie from their kind's pitch against height before the
/// picture is taken as stretched down (a photo's perspective alone stays within it).
constexpr double kStretchSlack = 0.05;

/// A page of its own needs most of its block's rows: a stray row (a banner read as bars) is
/// not a second page.
bool mostRows(const Block& block) {
    return 2 * block.members.size() > static_cast<std::size_t>(block.pattern->rows);
}

/// `borders`: the `Side`s of the picture that are a dark border's edge, not the picture's.
std::vector<ModeReading> readRowsOf(const GreyImage& image, const ReadOptions& options,
                                    bool stretchKnown, std::uint8_t borders);

/// The picture read on square pixels, `f` times its height; the rows' outlines in its own.
std::vector<ModeReading> readSquared(const GreyImage& image, double f, const ReadOptions& options,
                                     std::uint8_t borders) {
    std::vector<ModeReading> out = readRowsOf(buildSquarePixels(image, f), options, true, borders);
    for (ModeReading& r : out) {
        for (RowReading& row : r.rows) {
            for (PicturePoint& p : row.outline) p.y /= f;
        }
    }
    return out;
}

std::vector<ModeReading> readRowsOf(const GreyImage& image, const ReadOptions& options,
                                    bool stretchKnown, std::uint8_t borders) {
    if (const double f = squareFactor(image); f != 1)
        return readSquared(image, f, options, borders);
    std::vector<ModeReading> out;
    auto missing = [&](PrintMode mode, Doubt doubt) {
        for (const ModeReading& r : out) {
            if (r.mode == mode) return;
        }
        ModeReading none;
        none.mode = mode;
        none.doubt = doubt;
        out.push_back(none);
    };
    bool otherMode = false;  // rows of a mode other than the one asked for
    auto finish = [&] {
        if (options.mode) missing(*options.mode, otherMode ? Doubt::OtherMode : Doubt::NoRows);
        for (const PrintedBlock& p : options.printed) {
            if (!options.mode || p.mode == *options.mode) missing(p.mode, Doubt::NoRows);
        }
        return out;
    };
    if (!readable(image)) {
        return finish();
    }

    Page page = pageOf(image);
    std::vector<Block>& blocks = page.blocks;
    // A picture that states no resolution down may still be stretched: the rows' own pitch
    // against their height, known for each kind, says by how much.
    if (!stretchKnown && image.verticalDotsPerInch <= 0) {
        std::vector<double> stretch;
        for (const Block& block : blocks) {
            if (mostRows(block))
                stretch.push_back(block.pitchPerHeight / block.pattern->pitchPerHeight);
        }
        const double f = percentile(stretch, 0.5);
        if (!stretch.empty() && std::abs(f - 1) > kStretchSlack) {
            return readSquared(image, f, options, borders);
        }
    }

    // What was printed outranks the geometry's guess of the mode: blocks are matched in
    // order, the test print's wide rows only to high speed. A printed block takes the next
    // block with as many rows where there is one, so a stray block (a banner read as bars)
    // before it does not take its place.
    std::vector<const std::vector<int>*> values(blocks.size(), nullptr);
    if (!options.printed.empty()) {
        std::size_t b = 0;
        for (const PrintedBlock& p : options.printed) {
            const auto fits = [&](std::size_t i, bool sameCount) {
                return patternFor(p.mode, blocks[i].pattern->testPrint) != nullptr &&
                       (!sameCount || blocks[i].members.size() == p.values.size());
            };
            std::size_t at = b;
            while (at < blocks.size() && !fits(at, true)) ++at;
            if (at == blocks.size()) {
                at = b;
                while (at < blocks.size() && !fits(at, false)) ++at;
            }
            if (at == blocks.size()) break;
            blocks[at].pattern = patternFor(p.mode, blocks[at].pattern->testPrint);
            values[at] = &p.values;
            b = at + 1;
        }
    } else if (options.mode && blocks.size() == 1 && blocks[0].labelPitch <= 0) {
        // Bars alone tell high speed from high density least surely: the mode asked for
        // decides. Labels read say the mode; one that contradicts it is said below.
        if (const RowPattern* p = patternFor(*options.mode, blocks[0].pattern->testPrint)) {
            blocks[0].pattern = p;
        }
    }

    // A mode whose rows stand twice on the picture: two pages, and no verdict for it.
    std::array<int, 3> pages{};
    for (const Block& block : blocks) {
        if (mostRows(block)) ++pages[modeIndex(block.pattern->mode)];
    }
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const Block& block = blocks[b];
        if (options.mode && block.pattern->mode != *options.mode) {
            otherMode = otherMode || mostRows(block);
            continue;
        }
        if (pages[modeIndex(block.pattern->mode)] > 1) {
            if (mostRows(block)) missing(block.pattern->mode, Doubt::TwoPages);
            continue;
        }
        if (!options.printed.empty() && !values[b]) continue;
        if (values[b] && values[b]->size() != block.members.size()) {
            ModeReading lost;  // rows missing or extra: which is which cannot be told
            lost.mode = block.pattern->mode;
            lost.testPrint = block.pattern->testPrint;
            out.push_back(lost);
            continue;
        }
        // Measured again with the pattern known, so each group is read at its own width.
        // The labels were cut when the page was found.
        Block exact{block.pattern, block.members, {}, block.labels, block.labelPitch};
        for (std::size_t i : block.members) {
            exact.rows.push_back(
                measure(page.ink, page.frame, page.found[i], page.scale, block.pattern));
        }
        out.push_back(judge(exact, values[b], borders));
    }
    return finish();
}

/// The page inside its dark border read on its own; the rows' outlines in the whole picture.
std::vector<ModeReading> readCropped(const GreyImage& image, const PageBox& box,
                                     const ReadOptions& options) {
    const auto borders = static_cast<std::uint8_t>(
        (box.left > 0 ? kLeft : 0) | (box.top > 0 ? kTop : 0) |
        (box.right < image.width ? kRight : 0) | (box.bottom < image.height ? kBottom : 0));
    std::vector<ModeReading> out = readRowsOf(buildCropped(image, box), options, false, borders);
    for (ModeReading& r : out) {
        for (RowReading& row : r.rows) {
            for (PicturePoint& p : row.outline) {
                p.x += box.left;
                p.y += box.top;
            }
        }
    }
    return out;
}

}  // namespace

std::vector<ModeReading> readRows(const GreyImage& image, const ReadOptions& options) {
    if (readable(image)) {
        const PageBox box = pageBoxOf(image);
        const bool whole =
            box.left == 0 && box.top == 0 && box.right == image.width && box.bottom == image.height;
        if (!whole && box.right - box.left >= 16 && box.bottom - box.top >= 16)
            return readCropped(image, box, options);
    }
    return readRowsOf(image, options, false, 0);
}

std::vector<std::vector<std::vector<GlyphShape>>> readLabelShapes(const GreyImage& image) {
    std::vector<std::vector<std::vector<GlyphShape>>> out;
    if (!readable(image)) {
        return out;
    }
    for (const Block& block : pageOf(image).blocks) out.push_back(labelShapesOf(block));
    return out;
}

}  // namespace trevalune::rowreader
