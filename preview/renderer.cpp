#include "preview/renderer.h"

#include <algorithm>
#include <utility>

#include "printer/gbk.h"

namespace trevalune::preview {

int columnUnits(Mode mode, int column) {
    const long long units = static_cast<long long>(column) * kLineUnits;
    const int columns = lineColumns(mode);
    // Floor division, so that a negative shift moves as far left as a positive one moves right.
    long long q = units / columns;
    if (units % columns != 0 && units < 0) --q;
    return static_cast<int>(q);
}

bool Page::dot(int x, int row) const {
    if (x < 0 || x >= kLineUnits || row < 0 || row >= rows_) return false;
    return dots_[static_cast<std::size_t>(row) * kLineUnits + x] != 0;
}

void Page::reach(int rows) {
    if (rows <= rows_) return;
    rows_ = rows;
    dots_.resize(static_cast<std::size_t>(rows_) * kLineUnits, 0);
}

void Page::setDot(int x, int row) {
    if (x < 0 || x >= kLineUnits || row < 0) return;
    reach(row + 1);
    dots_[static_cast<std::size_t>(row) * kLineUnits + x] = 1;
}

Renderer::Renderer(RenderOptions options, PageSink sink)
    : options_(options), sink_(std::move(sink)), values_(options.bestValues) {}

void Renderer::apply(const Event& e) {
    switch (e.kind) {
        case EventKind::Text:
            started_ = true;
            printCharacter(e);
            return;
        case EventKind::BitImage:
            started_ = true;
            printImage(e);
            return;
        case EventKind::FeedForward:
            started_ = true;
            movePaper(e.rows);
            return;
        case EventKind::FeedBackward:
            started_ = true;
            movePaper(-e.rows);
            return;
        case EventKind::CarriageReturn:
            x_ = 0;
            return;
        case EventKind::LineFeed:
            // LF returns the carriage as well: the titles end in LF alone and the next line
            // starts at the left edge.
            started_ = true;
            x_ = 0;
            movePaper(kLineFeedRows);
            return;
        case EventKind::PageEject:
            started_ = true;
            endPage();
            return;
        case EventKind::SetValue: {
            started_ = true;
            mode_ = e.mode;
            if (e.value != kKeepValue) values_[modeIndex(e.mode)] = e.value;
            const int feeds = e.trailer == Trailer::Standard ? 3
                              : e.trailer == Trailer::Long   ? 4
                              : e.trailer == Trailer::FiveLf ? 5
                                                             : 2;
            x_ = 0;
            movePaper(feeds * kLineFeedRows);
            return;
        }
        case EventKind::Save:
        case EventKind::SelfTest:
        case EventKind::ConfigBlock:
        case EventKind::Error:
            return;
    }
}

void Renderer::finish() {
    if (started_) endPage();
}

void Renderer::endPage() {
    page_.reach(row_ + 1);
    sink_(page_);
    page_ = Page(page_.number() + 1);
    started_ = false;
    x_ = 0;
    row_ = 0;
    reverse_ = false;
}

void Renderer::movePaper(int rows) {
    row_ = std::max(0, row_ + rows);
    if (row_ + kHeadPins > options_.maxPageRows) {
        // Endless paper without an eject: cut it so a page stays a bounded picture.
        const int column = x_;
        endPage();
        started_ = true;
        x_ = column;
    }
    page_.reach(row_ + 1);
}

void Renderer::printCharacter(const Event& e) {
    const int width = cellUnits(mode_) * static_cast<int>(e.raw.size());
    if (x_ + width <= kLineUnits) {
        std::string text;
        try {
            text = fromGbk(e.raw);
        } catch (const std::exception&) {
            text = "\xEF\xBF\xBD";  // a GBK code with no character: U+FFFD
        }
        if (text != " ") page_.text_.push_back({x_, row_, width, mode_, std::move(text)});
        page_.reach(row_ + kHeadPins);
    }
    x_ += width;  // characters past the right edge are lost, as on paper
}

void Renderer::printImage(const Event& e) {
    if (e.density != 1) return;  // only one byte per column, 8 dots, is modelled
    const std::string_view data = e.data();
    const int count = static_cast<int>(data.size());
    const int columns = (count + 1) / 2;
    const std::size_t mode = modeIndex(mode_);
    const int shift = reverse_ ? columnUnits(mode_, values_[mode] - options_.bestValues[mode]) : 0;
    page_.passes_.push_back({row_, x_, shift, reverse_, mode_, values_[mode], columns});
    page_.reach(row_ + kHeadPins);
    for (int c = 0; c < columns; ++c) {
        const auto even = static_cast<unsigned char>(data[c]);
        const auto odd = columns + c < count ? static_cast<unsigned char>(data[columns + c]) : 0;
        if ((even | odd) == 0) continue;
        const int from = x_ + shift + columnUnits(mode_, c);
        const int to = x_ + shift + columnUnits(mode_, c + 1);
        for (int bit = 0; bit < 8; ++bit) {
            const int mask = 0x80 >> bit;
            // Bit 7 of the first half is pin 2, of the second half pin 1; pin p prints on
            // dot row p of the pass.
            if (even & mask) {
                for (int u = from; u < to; ++u) page_.setDot(u, row_ + 2 * bit + 1);
            }
            if (odd & mask) {
                for (int u = from; u < to; ++u) page_.setDot(u, row_ + 2 * bit);
            }
        }
    }
    x_ += columnUnits(mode_, columns);
    reverse_ = !reverse_;
}

}  // namespace trevalune::preview
