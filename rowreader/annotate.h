#pragma once

#include <vector>

#include "rowreader/image.h"
#include "rowreader/reader.h"

namespace trevalune::rowreader {

/// The largest side of an annotated picture: a page scanned at 1080 dpi is drawn smaller, by
/// a whole factor, so that it opens at once and its marks stay legible.
inline constexpr int kMaxAnnotationSide = 2400;

/// The page as read, for a person to check the reader at a glance: the picture in grey, each
/// mode's verdict at the top, and every row found outlined with its value and offset. Rows
/// used are outlined in green, the straight row in blue and marked ">", rows left out in red,
/// struck through, with the reason. Rows the reader could not place are listed in the
/// verdict's line only.
RgbImage buildAnnotation(const GreyImage& picture, const std::vector<ModeReading>& readings);

}  // namespace trevalune::rowreader
