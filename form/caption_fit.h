#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "form/control_table.h"
#include "printer/clock.h"

namespace trevalune {

/// The space kept between two controls side by side that a wider caption brought together, in
/// twips: four pixels at 96 DPI, so that a caption plainly ends before the next control.
inline constexpr int kCaptionGapTwips = 60;
/// The room kept between a frame's right edge and the controls it holds where they grew (the
/// design's margin).
inline constexpr int kFrameMarginTwips = 120;

/// The clock the widest clock text is measured for (two-digit month, day and hours).
inline constexpr LocalDateTime kWidestClockTime{2026, 12, 28, 23, 58, 58};

/// The texts a control must show whole: its caption, and what the form may put there (the
/// busy and done captions of Label8, the largest value of a mode label, `clockText` for the
/// clock). Empty for the lists, the boxes and the timer, whose text the operator scrolls.
std::vector<std::string> textsToFit(Control control, std::string_view clockText);

/// The rule both faces follow to keep every caption whole in the fonts they really draw with.
///
/// `neededTwips[c]` is the width control c needs for its widest text (textsToFit) in the face's
/// font at the face's DPI, with the room its kind takes beside the text (a button's border, an
/// option's mark, a frame's caption indent); 0 where nothing was measured. Within every frame
/// (innermost first) and the window, left to right:
///
/// - a button, frame, list or box is as wide as designed, or as it needs where that is wider;
/// - a label, option or check box draws nothing beyond its text, so its box is as designed but
///   ends kCaptionGapTwips before the next control of its row, and is never narrower than it
///   needs;
/// - a control that would then reach within kCaptionGapTwips of an earlier one of its row
///   (one it overlaps vertically) moves right just as far as that takes, and so on along the
///   row: it grows into the free space beside it;
/// - a frame grows to keep kFrameMarginTwips right of what it holds, and its own row moves on.
///
/// Heights and every top stay as designed; everything that fits keeps its designed geometry,
/// so all zeros give designLayout().
FormLayout fitCaptions(const std::array<int, kControlCount>& neededTwips);

/// Whether a control of this kind draws nothing beyond its text (its box may be trimmed).
bool drawsOnlyItsText(ControlKind kind);

}  // namespace trevalune
