#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/print_mode.h"
#include "rowreader/image.h"
#include "rowreader/reader.h"

namespace trevalune {

/// Where a value read off a scanned page goes: a mode's value (the mode selected in its frame,
/// the value typed into the value box), or, for the alignment test print, the centre list.
struct TakeValue {
    std::optional<PrintMode> mode;  ///< none: the test print's centre list
    int value = 0;
    friend bool operator==(const TakeValue&, const TakeValue&) = default;
};

/// One block of sample rows as the reading window says it.
struct ModeVerdict {
    /// In the window's language: the mode and its straight row, or that it cannot tell, why,
    /// and what to do.
    std::string text;
    /// Only with a straight row whose value is known (read from the labels or printed).
    std::optional<TakeValue> take;
    /// The button's caption; empty without `take`.
    std::string takeCaption;
};

/// A page read from a picture, as the reading window shows it. The window keeps its own copy:
/// it stays open while the operator works in the main window.
struct ReadingView {
    std::string title;                  ///< the window's title, with the file's name
    rowreader::RgbImage picture;        ///< the page as read, marked as the annotation draws it
    std::vector<ModeVerdict> verdicts;  ///< per block, top to bottom; one line when none found
};

/// The reading window's view of the first of a picture's `pages`: the title with `fileName`,
/// the picture as drawn, and per block its verdict in Chinese; a value to take only for a
/// straight row whose value was read off the page (rows counted from the middle name no value
/// to send). A picture of more pages says last that only the first was read.
ReadingView buildReadingView(std::string_view fileName,
                             const std::vector<rowreader::ModeReading>& readings,
                             rowreader::RgbImage picture, int pages = 1);

}  // namespace trevalune
