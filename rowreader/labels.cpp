#include "rowreader/labels.h"

#include <cmath>
#include <numeric>
#include <string>

namespace trevalune::rowreader {

void normaliseShape(GlyphShape& shape) {
    const float mean =
        std::accumulate(shape.begin(), shape.end(), 0.0f) / static_cast<float>(shape.size());
    float squares = 0;
    for (float& v : shape) {
        v -= mean;
        squares += v * v;
    }
    const float length = std::sqrt(squares);
    for (float& v : shape) v = length > 1e-6f ? v / length : 0.0f;
}

namespace {

/// A value byte: labels print 0 to 255.
constexpr int kLargestValue = 255;

/// How well a row's glyphs read as `value`, -1 to 1: the mean likeness of its digits to the
/// known shapes, and of a glyph before them to the "*". A row with another count of glyphs
/// does not read as the value at all.
double fit(const std::vector<std::array<float, kLabelCharacters.size()>>& likeness, int value,
           bool* marked) {
    const std::string digits = std::to_string(value);
    const std::size_t n = likeness.size();
    if (n != digits.size() && n != digits.size() + 1) return -1;
    const std::size_t first = n - digits.size();
    double sum = first == 1 ? likeness[0][kMarkShape] : 0.0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        sum += likeness[first + i][static_cast<std::size_t>(digits[i] - '0')];
    }
    if (marked) *marked = first == 1;
    return sum / static_cast<double>(n);
}

/// Two readings of a row closer than this are not told apart.
constexpr double kClearly = 0.08;
/// A row whose glyphs fit no value this well is not read (a smudge, a label cut off).
constexpr double kReadable = 0.5;

}  // namespace

std::optional<LabelValues> buildLabelValues(const std::vector<std::vector<GlyphShape>>& rows) {
    using Likeness = std::vector<std::array<float, kLabelCharacters.size()>>;
    const int n = static_cast<int>(rows.size());
    if (n == 0 || n > kLargestValue + 1) return std::nullopt;
    std::vector<Likeness> likeness(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const GlyphShape& g : rows[r]) {
            auto& l = likeness[r].emplace_back();
            for (std::size_t c = 0; c < kLabelShapes.size(); ++c) {
                l[c] = std::inner_product(g.begin(), g.end(), kLabelShapes[c].begin(), 0.0f);
            }
        }
    }
    // Each row on its own: the value it reads best as, and how well.
    std::vector<int> alone(rows.size(), -1);
    std::vector<double> aloneFit(rows.size(), -1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int v = 0; v <= kLargestValue; ++v) {
            if (const double f = fit(likeness[r], v, nullptr); f > aloneFit[r]) {
                aloneFit[r] = f;
                alone[r] = v;
            }
        }
    }
    int best = -1;
    double bestSum = -1e9;
    for (int first = 0; first + n - 1 <= kLargestValue; ++first) {
        double sum = 0;
        for (int r = 0; r < n; ++r)
            sum += fit(likeness[static_cast<std::size_t>(r)], first + r, nullptr);
        if (sum > bestSum) bestSum = sum, best = first;
    }
    int agree = 0;
    LabelValues out;
    for (int r = 0; r < n; ++r) {
        const auto i = static_cast<std::size_t>(r);
        bool marked = false;
        const double f = fit(likeness[i], best + r, &marked);
        if (alone[i] == best + r && f >= kReadable) {
            ++agree;
        } else if (aloneFit[i] >= kReadable && aloneFit[i] - f > kClearly) {
            return std::nullopt;  // a row that clearly reads otherwise
        }
        out.values.push_back(best + r);
        out.marked.push_back(marked && f >= kReadable);
    }
    if (2 * agree <= n) return std::nullopt;
    return out;
}

}  // namespace trevalune::rowreader
