#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "preview/modes.h"

namespace trevalune::preview {

/// What one run of bytes of the stream means.
enum class EventKind {
    Text,          ///< one printable character: ASCII, or a GBK pair
    BitImage,      ///< ESC * m nL nH and its data
    FeedForward,   ///< ESC J n
    FeedBackward,  ///< ESC j n
    CarriageReturn,
    LineFeed,
    PageEject,    ///< GS V "S"
    SetValue,     ///< 1B 01 40 "QV627" mode value, trailer
    Save,         ///< ESC : 00 00 "R"
    SelfTest,     ///< ESC : 00 00 "P"
    ConfigBlock,  ///< ESC : "E" nL nH and its data
    Error,        ///< bytes that mean nothing to this printer; see `message`
};

/// The five trailers of the set-value command: a flag byte 00 or FF, then line feeds.
enum class Trailer {
    Standard,  ///< FF 0A 0A 0A
    Short,     ///< 00 0A 0A
    Row,       ///< FF 0A 0A
    Long,      ///< 00 0A 0A 0A 0A
    FiveLf,    ///< FF 0A 0A 0A 0A 0A
};

/// "standard", "short", "row", "long", "five-LF".
std::string_view trailerName(Trailer trailer);

/// The value byte that selects a mode without changing its value.
inline constexpr int kKeepValue = 0xFF;

/// One decoded command, character or error. Every byte of the input belongs to exactly one
/// event, and events come in stream order, so offset + raw.size() is the next event's offset.
struct Event {
    EventKind kind = EventKind::Error;
    std::size_t offset = 0;  ///< of the first byte, counted from the start of the stream
    std::string raw;         ///< every byte of the event, data included

    // Text: the character's bytes are `raw`; 1 or 2 cells wide.
    // BitImage: density m, data count (nL + 256 * nH), data = raw.substr(5).
    int density = 0;
    int count = 0;
    // FeedForward, FeedBackward: n dot rows.
    int rows = 0;
    // SetValue.
    Mode mode = Mode::HighSpeed;
    int value = 0;
    Trailer trailer = Trailer::Standard;
    // Error: what is wrong, e.g. "truncated bit image: expected 2880 data bytes, received 7".
    std::string message;

    std::string_view data() const;  ///< the data of a bit image or a configuration block
};

/// Reads the printer's byte stream one byte at a time, so it works on a live stream as well
/// as on a file: each complete command is handed to the sink as soon as its last byte has
/// arrived (a set-value command waits for the byte after its trailer, since the trailers
/// differ only in their number of line feeds). Bit-image and configuration data is counted,
/// never scanned, so data bytes 1B, 0A or 0D are never read as commands; the second byte of
/// a GBK character is never read as a control code. Unknown bytes, truncated commands and
/// GBK lead bytes without a trail byte become Error events and decoding goes on with the
/// next byte that can start something.
class Decoder final {
public:
    using Sink = std::function<void(const Event&)>;
    explicit Decoder(Sink sink);

    void feed(unsigned char byte);
    void feed(std::string_view bytes);
    /// End of the stream: a command still waiting for bytes is reported as truncated.
    void finish();

    /// Bytes read so far.
    std::size_t offset() const { return pendingOffset_ + pending_.size(); }

private:
    void process(bool atEnd);
    void emit(Event event, std::size_t length);

    Sink sink_;
    std::string pending_;            ///< the command being read
    std::size_t pendingOffset_ = 0;  ///< stream offset of pending_[0]
    std::size_t expected_ = 0;       ///< length of a counted command once its header is known
};

/// Decodes a whole buffer; convenient for tests and files.
std::vector<Event> decodeAll(std::string_view bytes);

}  // namespace trevalune::preview
