#pragma once

#include <array>
#include <optional>
#include <vector>

#include "alignment/align_reading.h"
#include "alignment/print_mode.h"
#include "rowreader/image.h"
#include "rowreader/labels.h"

namespace trevalune::rowreader {

/// A point of the picture as decoded (its orientation applied), in pixels.
struct PicturePoint {
    double x = 0;
    double y = 0;
};

/// Why a row found on the page is left out of the verdict.
enum class RowFault {
    None,        ///< measured and used
    CutOff,      ///< the picture's edge cuts through the row
    DarkBorder,  ///< a dark border along the picture's edge (an open lid, a desk) cuts it
    Hidden,      ///< part of its passes is hidden (a crease, a dark band, a torn corner)
    OutOfStep,   ///< its offset lies off the block's steady line
};

/// One sample row as read from the page.
struct RowReading {
    int value = 0;                ///< the value the row was printed with
    bool valueFromLabel = false;  ///< read from the labels; else from what was printed
    bool marked = false;          ///< the label carries the "*"
    /// How far the reverse passes' bars lie right of the forward passes' bars, in the mode's
    /// columns (negative: left). Zero on the straight row; meaningless when not `measured()`.
    double offsetColumns = 0;
    /// The measurement's own noise, one standard deviation, in the mode's columns.
    double noiseColumns = 0;
    RowFault fault = RowFault::None;
    /// Where the row lies in the picture: top left, top right, bottom right, bottom left.
    std::array<PicturePoint, 4> outline{};

    /// Cut off or hidden rows are not measured; a row out of step is, but decides nothing.
    bool measured() const { return fault == RowFault::None || fault == RowFault::OutOfStep; }
};

/// Why a mode's straight row is not given.
enum class Doubt {
    None,          ///< `straight` holds the straight row
    NoneStraight,  ///< every row's bars are clearly apart: the best value lies outside the rows
    TooClose,      ///< two rows lie within the measurement's noise of straight
    NoRows,        ///< no sample rows of this mode were found
    TooCoarse,     ///< the picture's resolution cannot show this mode's column pitch
    OtherPage,     ///< the labels read are not the values printed: not the page just printed
    RowsMissing,   ///< rows of the block were not found, and which is which is not known
    OutOfStep,     ///< a whole row lies off the steady line of the others (a crease, a fold)
    CutOff,        ///< the straight row may be one the picture's edge cuts through
    Hidden,        ///< the straight row may be one partly hidden (a crease, a dark band)
    DarkBorder,    ///< the straight row may be one a dark border along the edge cuts through
    TwoPages,      ///< the mode's rows appear twice: more than one page in the picture
    OtherMode,     ///< the mode asked for is not on the page: its rows are another mode's
};

/// The doubt a row not used gives its block where the straight row may be that row.
struct FaultDoubt {
    RowFault fault;
    Doubt doubt;
};
inline constexpr FaultDoubt kFaultDoubts[] = {
    {RowFault::CutOff, Doubt::CutOff},
    {RowFault::DarkBorder, Doubt::DarkBorder},
    {RowFault::Hidden, Doubt::Hidden},
    {RowFault::OutOfStep, Doubt::OutOfStep},
};
constexpr Doubt doubtOf(RowFault fault) {
    for (const FaultDoubt& f : kFaultDoubts) {
        if (f.fault == fault) return f.doubt;
    }
    return Doubt::None;
}

struct ModeReading {
    PrintMode mode = PrintMode::HighSpeed;
    std::vector<RowReading> rows;  ///< top to bottom, as printed
    std::optional<int> straight;   ///< the straight row's value, only when sure
    Doubt doubt = Doubt::NoRows;
    /// How sure the reading is, 0 to 1: how clearly the straight row stands apart from the
    /// next best, against the noise. 0 when nothing is given; 0.5 where the reader only just
    /// decides (the zero crossing of the offsets lies four noise inside the row's half value).
    double confidence = 0;
    /// Neither the labels could be read nor was the page printed given: the rows are then
    /// counted from the block's middle row (the "*" row the tool prints for the centre value)
    /// as 0, the rows above negative, and `straight` is one of these places.
    bool valuesRelative = false;
    /// Where the whole rows' steady line crosses zero, in values, also beyond the rows: the
    /// best value as the offsets predict it. None when the rows follow no line.
    std::optional<double> predicted;
    /// The block is the alignment test print's (its wider rows, read in high speed): its
    /// value belongs to the test print's centre, not to the mode's own value.
    bool testPrint = false;
};

/// What the tool knows it printed on the page, top to bottom: a block of rows per mode, with
/// the rows' values. Where labels cannot be read, these give the values.
struct PrintedBlock {
    PrintMode mode = PrintMode::HighSpeed;
    std::vector<int> values;
};

struct ReadOptions {
    /// Read only this mode's blocks; every mode found when empty.
    std::optional<PrintMode> mode;
    /// The page as printed, when the caller printed it; empty when unknown.
    std::vector<PrintedBlock> printed;
};

/// Every block of sample rows on the page, in the order found (top to bottom), one reading per
/// block; a mode that was asked for (or printed) but not found has a reading with Doubt::NoRows,
/// and so has a printed block whose rows were not all found (which row is which is not known).
/// The mode of a block is the printed block's, in order, when `printed` is given; else the
/// one asked for when the page holds one block; else what its labels' character pitch says,
/// or else the bars' geometry. The values are the labels' where they read as one run of
/// values; a printed block they contradict reads as Doubt::OtherPage.
std::vector<ModeReading> readRows(const GreyImage& image, const ReadOptions& options = {});

/// A reading as the guided alignment takes it: only whole rows in step count, and the line's
/// prediction only where the values are known.
inline AlignReading buildAlignReading(const ModeReading& r) {
    AlignReading page;
    for (const RowReading& row : r.rows) {
        page.rows.push_back(
            {row.value, row.fault == RowFault::None, row.offsetColumns, row.noiseColumns});
    }
    if (r.doubt == Doubt::None) page.straight = r.straight;
    if (!r.valuesRelative) page.predicted = r.predicted;
    return page;
}

/// The glyphs of every row label found, per block and row, top to bottom, cut and scaled as
/// the reader compares them with its known shapes (`row-pages --shapes` measures those).
std::vector<std::vector<std::vector<GlyphShape>>> readLabelShapes(const GreyImage& image);

}  // namespace trevalune::rowreader
