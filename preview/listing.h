#pragma once

#include <cstddef>
#include <deque>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "preview/decoder.h"

namespace trevalune::preview {

/// The meaning of one event as the listing shows it, e.g. "set value: high speed = 31, long
/// trailer (00 + 4 LF)" or "ERROR truncated bit image: expected 2880 data bytes, received 7".
/// Text events give the character ("高").
std::string describe(const Event& event);

/// What a bit image (ESC * 1) prints, read on the virtual printer's pin model: the first half
/// of the data drives the even pins, the second half the odd pins, over the same columns.
/// Runs of columns are named "pin 7 block 7" (one pin, every other column of one block of a
/// line cut into 16 blocks), "6 bars (even pins) at 288-298" (several pins, every other
/// column), "band (all pins) at 0-198" (every column) or "nothing".
std::string describeImage(std::string_view data);

/// Writes events as a listing, one line each: decimal byte offset, raw bytes in hex (long
/// commands cut short, their length given) and meaning. Consecutive characters are joined
/// into one text line.
class Listing final {
public:
    explicit Listing(std::ostream& out) : out_(out) {}
    ~Listing() { finish(); }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;

    /// Writes the event, after the heading of every document that starts at or before it.
    void add(const Event& event);
    /// A comment line ("# doc-000003.prn, 14 bytes, from 81165") heading the document whose
    /// first byte is at stream offset `offset`. It is written just before the first event
    /// that starts there or later: a command is reported once its last byte is in (a
    /// set-value command waits for the byte after its trailer), so a command that began in
    /// the previous document stays under that document's heading.
    void heading(std::size_t offset, std::string_view text);
    /// Writes the open text line, if any.
    void flush();
    /// End of the stream: the open text line and the headings still waiting for an event.
    void finish();

    int errors() const { return errors_; }

private:
    void line(std::size_t offset, std::string_view raw, const std::string& meaning);
    /// Writes the waiting headings of documents that start at or before `offset`.
    void headingsUpTo(std::size_t offset);

    std::ostream& out_;
    std::size_t textOffset_ = 0;
    std::string textRaw_;
    int textCells_ = 0;
    int errors_ = 0;
    std::deque<std::pair<std::size_t, std::string>> headings_;  ///< waiting, by offset
};

/// The whole listing of a byte stream.
std::string listingOf(std::string_view bytes);

}  // namespace trevalune::preview
