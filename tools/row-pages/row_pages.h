#pragma once

#include <array>
#include <memory>
#include <vector>

#include "alignment/print_mode.h"
#include "rowreader/reader.h"

namespace trevalune::rowreader {

/// The pages that print sample rows.
enum class PageKind {
    SetSingle,  ///< one mode's title and rows
    SetAll,     ///< the three modes' banners and rows on one page
    TestPrint,  ///< the high-speed alignment test: title and seven rows of the test pattern
};

struct PageSpec {
    PageKind kind = PageKind::SetSingle;
    PrintMode mode = PrintMode::HighSpeed;   ///< SetSingle's mode
    std::array<int, 3> centres{20, 24, 40};  ///< the values printed (high speed first)
    std::array<int, 3> best{20, 24, 40};     ///< the printer's best values
};

/// How many pages one picture holds, and where the second lies.
enum class PagesInPicture { One, SideBySide, Stacked };

/// How a scanner or a camera spoils the page.
struct Spoiling {
    double dpi = 300;
    bool dpiInFile = true;  ///< a scan says its resolution; a photo does not
    double angleDegrees = 0;
    double inkSpread = 0;    ///< ribbon ink bleeding into the paper, in 1/360 inch
    double lensBlur = 0.5;   ///< the optics, one standard deviation in output pixels
    double noise = 0;        ///< grey levels, one standard deviation
    int jpegQuality = 0;     ///< 0: no JPEG
    double unevenLight = 0;  ///< 0..1: how much darker the far corner is
    double ribbon = 1;       ///< 0..1: how black a dot prints
    /// The picture's edge cuts through the first sample row (negative: the last) this far
    /// down it, 0..1 of its height; 0: the page is whole.
    double cutRow = 0;
    /// A crease through the sample row `creaseRow` (from the top, counting every block's
    /// rows), `creaseAt` of its height down, shifting the paper below it `creaseShift`
    /// preview units (1/360 inch) sideways; 0: no crease.
    int creaseRow = 0;
    double creaseAt = 0.5;
    double creaseShift = 0;
    /// Pixels per inch down the picture against across it (a scanner at 300 x 450 dpi: 1.5);
    /// a scan states both resolutions.
    double verticalStretch = 1;
    /// Quarter turns clockwise of the stored picture, with no tag saying so (1: 90 degrees,
    /// 3: 270 degrees): a page laid sideways on the glass.
    int quarterTurns = 0;
    PagesInPicture pages = PagesInPicture::One;
    /// Dark bands across the picture's top and bottom edges, in millimetres, of this grey:
    /// the scanner's open lid beyond a short page (0), or the desk round a photographed one.
    double bandTopMillimetres = 0;
    double bandBottomMillimetres = 0;
    int bandGrey = 0;
    unsigned seed = 1;
};

struct RowPage {
    GreyImage image;
    std::vector<PrintedBlock> printed;
};

/// Draws pages through the print preview (decoder, renderer, page raster) and spoils them.
class RowPageMaker final {
public:
    RowPageMaker();
    ~RowPageMaker();
    RowPageMaker(const RowPageMaker&) = delete;
    RowPageMaker& operator=(const RowPageMaker&) = delete;

    /// Throws std::runtime_error when the page prints no rows (a centre outside 5..116).
    RowPage build(const PageSpec& spec, const Spoiling& spoiling);

private:
    struct Fonts;
    std::unique_ptr<Fonts> fonts_;
};

/// A reading against the truth: the straight row, or NoneStraight when the best lies outside.
/// `centre` is the printed middle row, which relative values count from.
enum class Outcome { Right, CannotTell, Wrong };
Outcome judgeReading(const ModeReading& reading, int best, int centre);

}  // namespace trevalune::rowreader
