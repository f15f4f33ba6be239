#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "preview/decoder.h"

namespace trevalune::preview {

// The virtual printer's own model of the paper and the head (see README.md). It is what the
// previews are drawn on, not a description of any real printer.
//
// Horizontally a printed line is kLineUnits units wide; a column of a print mode covers
// kLineUnits / lineColumns(mode) units (modes.h) (2 in high speed, about 1.5 in high density, 1 in
// super-high density). Vertically the unit is the dot row, the pitch of the head's pins.

inline constexpr int kLineUnits = 2880;
inline constexpr int kHeadPins = 16;
/// LF moves the paper by one text line, as high as the head.
inline constexpr int kLineFeedRows = 16;

/// Units from the start of a line to the left edge of `column` (negative columns allowed).
int columnUnits(Mode mode, int column);

struct RenderOptions {
    /// The value of each mode that makes its reverse passes land on the forward passes'
    /// columns: high speed, high density, super-high density.
    std::array<int, 3> bestValues{16, 24, 40};
    /// A page that runs longer than this without an eject is cut here, which bounds memory.
    int maxPageRows = 6000;
};

/// A character as drawn: cell position, width in units, UTF-8 text.
struct TextMark {
    int x = 0;
    int row = 0;  ///< top dot row of the text line
    int width = 0;
    Mode mode = Mode::HighSpeed;
    std::string text;
};

/// One bit-image line as the head printed it.
struct Pass {
    int row = 0;    ///< dot row of pin 1
    int x = 0;      ///< unit where column 0 would print on a forward pass
    int shift = 0;  ///< units added on this pass (reverse passes only)
    bool reverse = false;
    Mode mode = Mode::HighSpeed;
    int value = 0;  ///< the mode's value while it printed
    int columns = 0;
};

/// One page: a grid of dots (units across, dot rows down) and the text drawn on it.
class Page final {
public:
    explicit Page(int number) : number_(number) {}

    int number() const { return number_; }
    /// Dot rows from the top of the page to the lowest row used (ink or paper movement).
    int rows() const { return rows_; }
    bool dot(int x, int row) const;

    const std::vector<TextMark>& text() const { return text_; }
    const std::vector<Pass>& passes() const { return passes_; }

private:
    friend class Renderer;
    void setDot(int x, int row);
    void reach(int rows);

    int number_;
    int rows_ = 0;
    std::vector<std::uint8_t> dots_;  // rows_ * kLineUnits, grown on demand
    std::vector<TextMark> text_;
    std::vector<Pass> passes_;
};

/// Draws decoded events on pages. A page ends at the page eject (GS V S) or at the end of the
/// input, and is then handed to the sink. The printer's state (mode and the three values)
/// carries over from page to page; the head starts every page at the top left, forward.
class Renderer final {
public:
    using PageSink = std::function<void(const Page&)>;
    Renderer(RenderOptions options, PageSink sink);

    void apply(const Event& event);
    /// End of the input: the page in progress is finished if anything happened on it.
    void finish();

    /// The page in progress and whether anything has happened on it yet.
    const Page& page() const { return page_; }
    bool pageStarted() const { return started_; }

    Mode mode() const { return mode_; }
    int value(Mode mode) const { return values_[modeIndex(mode)]; }

private:
    void printImage(const Event& event);
    void printCharacter(const Event& event);
    void movePaper(int rows);
    void endPage();

    RenderOptions options_;
    PageSink sink_;
    Page page_{1};
    bool started_ = false;

    Mode mode_ = Mode::HighSpeed;
    std::array<int, 3> values_;
    int x_ = 0;
    int row_ = 0;
    bool reverse_ = false;
};

}  // namespace trevalune::preview
