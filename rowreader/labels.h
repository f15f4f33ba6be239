#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace trevalune::rowreader {

/// A glyph of a row label, resampled into its character cell (one character pitch wide, the
/// label's height high): ink with its mean taken out, scaled to unit length, so that two
/// shapes compare by their dot product (1: the same, 0: unrelated). The cell, not the
/// glyph's own box, keeps a "1" narrow, and it is the same in the condensed modes.
inline constexpr int kShapeWidth = 8;
inline constexpr int kShapeHeight = 12;
using GlyphShape = std::array<float, kShapeWidth * kShapeHeight>;

/// What a label prints: the ten digits and the "*" of the marked row, in the order of
/// kLabelShapes.
inline constexpr std::string_view kLabelCharacters = "0123456789*";
inline constexpr std::size_t kMarkShape = 10;

/// The known shapes, measured on the preview's pages (`row-pages --shapes` writes them).
extern const std::array<GlyphShape, kLabelCharacters.size()> kLabelShapes;

/// Scales a shape to unit length about its mean; a blank one stays all zero.
void normaliseShape(GlyphShape& shape);

/// The values of a block's rows as their labels read: consecutive numbers, top to bottom.
struct LabelValues {
    std::vector<int> values;
    std::vector<bool> marked;  ///< the row's label carries the "*"
};

/// Reads a block's labels (each row's glyphs, left to right) as one: the rows of a block
/// carry consecutive values, so the first value is chosen that fits the glyphs of all rows
/// best. Nothing unless most rows, read each on its own, say the same and none clearly says
/// otherwise: a label misread must not name a wrong row.
std::optional<LabelValues> buildLabelValues(const std::vector<std::vector<GlyphShape>>& rows);

}  // namespace trevalune::rowreader
