#include "preview/decoder.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace trevalune::preview {

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kGs = 0x1D;
constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kCr = 0x0D;
/// Bytes 2..7 of the set-value command.
constexpr std::string_view kSetValueTag = "\x40QV627";
/// ESC 01 "@QV627" mode value flag: the line feeds of the trailer follow.
constexpr std::size_t kSetValueHead = 11;

std::string hexByte(unsigned char b) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

/// Data bytes per column of ESC * m: the 8-dot densities carry one, the 24-dot ones three.
int bytesPerColumn(int density) {
    switch (density) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 6:
            return 1;
        case 32:
        case 33:
        case 38:
        case 39:
        case 40:
            return 3;
        default:
            return 0;
    }
}

bool isGbkLead(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
bool isGbkTrail(unsigned char b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

enum class Status { NeedMore, Complete, Failed };

/// What the bytes at the front of the pending buffer are.
struct ParseResult {
    Status status = Status::NeedMore;
    /// Complete, Failed: how many bytes the event takes. NeedMore: the command's whole length
    /// when it is already known (counted data), else 0.
    std::size_t length = 0;
    Event event;
};

/// One parse step over the pending bytes `p` (never empty). At the end of the input nothing
/// may need more: what is incomplete then is reported as truncated.
class Parser {
public:
    Parser(std::string_view p, bool atEnd) : p_(p), atEnd_(atEnd) {}

    ParseResult run() {
        const unsigned char b = at(0);
        if (b == kLf) return complete(EventKind::LineFeed, 1);
        if (b == kCr) return complete(EventKind::CarriageReturn, 1);
        if (b >= 0x20 && b <= 0x7E) return complete(EventKind::Text, 1);
        if (isGbkLead(b)) return gbk(b);
        if (b == kEsc) return esc();
        if (b == kGs) return gs();
        return failed(1, "unknown byte " + hexByte(b));
    }

private:
    unsigned char at(std::size_t i) const { return static_cast<unsigned char>(p_[i]); }
    std::size_t size() const { return p_.size(); }

    ParseResult complete(EventKind kind, std::size_t length) {
        ParseResult r;
        r.status = Status::Complete;
        r.length = length;
        r.event.kind = kind;
        return r;
    }
    ParseResult failed(std::size_t length, std::string message) {
        ParseResult r;
        r.status = Status::Failed;
        r.length = length;
        r.event.kind = EventKind::Error;
        r.event.message = std::move(message);
        return r;
    }
    /// Waits for `total` bytes; at the end of the input reports what arrived as truncated.
    ParseResult needMore(std::string_view what, std::size_t total, bool knownTotal = true) {
        if (!atEnd_) {
            ParseResult r;
            r.length = knownTotal ? total : 0;
            return r;
        }
        return failed(size(), "truncated " + std::string(what) + ": expected " +
                                  (knownTotal ? "" : "at least ") + std::to_string(total) +
                                  " bytes, received " + std::to_string(size()));
    }
    /// The byte at `bad` makes the command unknown. It is swallowed with the command unless it
    /// starts a command of its own, which is then read afresh: that is how decoding gets back
    /// in step after a byte it does not know.
    ParseResult unknownAt(std::size_t bad, std::string message) {
        const bool starts = at(bad) == kEsc || at(bad) == kGs;
        return failed(starts ? bad : bad + 1, std::move(message));
    }
    std::string hexOf(std::size_t from, std::size_t to) const {
        std::string out;
        for (std::size_t i = from; i <= to; ++i) out += (out.empty() ? "" : " ") + hexByte(at(i));
        return out;
    }

    ParseResult gbk(unsigned char lead) {
        if (size() < 2) {
            if (!atEnd_) return needMore("", 2);
            return failed(1,
                          "dangling GBK lead byte " + hexByte(lead) + " at the end of the input");
        }
        if (isGbkTrail(at(1))) return complete(EventKind::Text, 2);
        // The lead byte alone is the error; what follows is read afresh, so an LF stays an LF.
        return failed(1, "dangling GBK lead byte " + hexByte(lead) + ": followed by " +
                             hexByte(at(1)) + ", which is no trail byte");
    }

    ParseResult gs() {
        if (size() < 2) return needMore("GS command", 3);
        if (at(1) != 'V') return unknownAt(1, "unknown command GS " + hexByte(at(1)));
        if (size() < 3) return needMore("GS V command", 3);
        if (at(2) != 'S') return unknownAt(2, "unknown command GS V " + hexByte(at(2)));
        return complete(EventKind::PageEject, 3);
    }

    ParseResult esc() {
        if (size() < 2) return needMore("ESC command", 2, false);
        switch (at(1)) {
            case '*':
                return bitImage();
            case 'J':
            case 'j': {
                const bool forward = at(1) == 'J';
                if (size() < 3) return needMore(forward ? "ESC J" : "ESC j", 3);
                ParseResult r =
                    complete(forward ? EventKind::FeedForward : EventKind::FeedBackward, 3);
                r.event.rows = at(2);
                return r;
            }
            case 0x01:
                return setValue();
            case ':':
                return colonCommand();
            default:
                return unknownAt(1, "unknown command ESC " + hexByte(at(1)));
        }
    }

    ParseResult bitImage() {
        if (size() < 3) return needMore("ESC * header", 5);
        const int density = at(2);
        const int perColumn = bytesPerColumn(density);
        if (perColumn == 0) return unknownAt(2, "ESC * with unknown density " + hexByte(at(2)));
        if (size() < 5) return needMore("ESC * header", 5);
        // The count is little-endian: 2880 columns travel as 40 0B.
        const int count = at(3) + 256 * at(4);
        const std::size_t dataBytes = static_cast<std::size_t>(count) * perColumn;
        const std::size_t total = 5 + dataBytes;
        if (size() < total) {
            if (!atEnd_) return needMore("", total);
            return failed(size(), "truncated bit image: expected " + std::to_string(dataBytes) +
                                      " data bytes, received " + std::to_string(size() - 5));
        }
        ParseResult r = complete(EventKind::BitImage, total);
        r.event.density = density;
        r.event.count = count;
        return r;
    }

    ParseResult setValue() {
        for (std::size_t i = 2; i < 2 + kSetValueTag.size(); ++i) {
            if (size() <= i) return needMore("set-value command", 13, false);
            if (p_[i] != kSetValueTag[i - 2]) {
                // Only the bytes that matched belong to the error; the odd one is read afresh.
                return failed(i, "unknown command " + hexOf(0, i - 1) + " (followed by " +
                                     hexByte(at(i)) + ")");
            }
        }
        if (size() <= 8) return needMore("set-value command", 13, false);
        const unsigned char modeByte = at(8);
        const std::optional<Mode> mode = modeOfByte(modeByte);
        if (!mode) {
            return failed(9, "set-value command with unknown mode byte " + hexByte(modeByte));
        }
        if (size() < kSetValueHead) return needMore("set-value command", 13, false);
        const unsigned char flag = at(10);
        if (flag != 0x00 && flag != 0xFF) {
            return failed(10, "set-value command: the trailer begins with " + hexByte(flag) +
                                  ", not 00 or FF");
        }
        // The trailers differ only in their number of line feeds: count them until a byte
        // that is no LF arrives or the longest trailer of this flag is complete.
        const std::size_t longest = flag == 0x00 ? 4 : 5;
        std::size_t feeds = 0;
        while (kSetValueHead + feeds < size() && feeds < longest &&
               at(kSetValueHead + feeds) == kLf) {
            ++feeds;
        }
        const bool decided = feeds == longest || kSetValueHead + feeds < size() || atEnd_;
        if (!decided) return needMore("set-value command", 13, false);
        // The longest trailer that fits; further line feeds are plain line feeds.
        Trailer trailer{};
        std::size_t used = 0;
        if (flag == 0x00) {
            if (feeds >= 4) {
                trailer = Trailer::Long, used = 4;
            } else if (feeds >= 2) {
                trailer = Trailer::Short, used = 2;
            }
        } else {
            if (feeds >= 5) {
                trailer = Trailer::FiveLf, used = 5;
            } else if (feeds >= 3) {
                trailer = Trailer::Standard, used = 3;
            } else if (feeds >= 2) {
                trailer = Trailer::Row, used = 2;
            }
        }
        if (used == 0) {
            return failed(kSetValueHead + feeds, "set-value command with the trailer " +
                                                     hexOf(10, kSetValueHead + feeds - 1) +
                                                     ", which is none of the five");
        }
        ParseResult r = complete(EventKind::SetValue, kSetValueHead + used);
        r.event.mode = *mode;
        r.event.value = at(9);
        r.event.trailer = trailer;
        return r;
    }

    ParseResult colonCommand() {
        if (size() < 3) return needMore("ESC : command", 5);
        if (at(2) == 0x00) {
            if (size() < 4) return needMore("ESC : command", 5);
            if (at(3) != 0x00) return unknownAt(3, "unknown command ESC : 00 " + hexByte(at(3)));
            if (size() < 5) return needMore("ESC : command", 5);
            if (at(4) == 'R') return complete(EventKind::Save, 5);
            if (at(4) == 'P') return complete(EventKind::SelfTest, 5);
            return unknownAt(4, "unknown command ESC : 00 00 " + hexByte(at(4)));
        }
        if (at(2) != 'E') return unknownAt(2, "unknown command ESC : " + hexByte(at(2)));
        if (size() < 5) return needMore("configuration block header", 5);
        const std::size_t count = at(3) + 256u * at(4);
        if (size() < 5 + count) {
            if (!atEnd_) return needMore("", 5 + count);
            return failed(size(), "truncated configuration block: expected " +
                                      std::to_string(count) + " data bytes, received " +
                                      std::to_string(size() - 5));
        }
        ParseResult r = complete(EventKind::ConfigBlock, 5 + count);
        r.event.count = static_cast<int>(count);
        return r;
    }

    std::string_view p_;
    bool atEnd_;
};

}  // namespace

std::string_view trailerName(Trailer trailer) {
    switch (trailer) {
        case Trailer::Standard:
            return "standard";
        case Trailer::Short:
            return "short";
        case Trailer::Row:
            return "row";
        case Trailer::Long:
            return "long";
        case Trailer::FiveLf:
            return "five-LF";
    }
    return "?";
}

std::string_view Event::data() const {
    if (kind == EventKind::BitImage || kind == EventKind::ConfigBlock) {
        return std::string_view(raw).substr(5);
    }
    return {};
}

Decoder::Decoder(Sink sink) : sink_(std::move(sink)) {}

void Decoder::feed(unsigned char byte) {
    pending_.push_back(static_cast<char>(byte));
    process(false);
}

void Decoder::feed(std::string_view bytes) {
    for (const char c : bytes) feed(static_cast<unsigned char>(c));
}

void Decoder::finish() {
    process(true);
}

void Decoder::process(bool atEnd) {
    while (!pending_.empty()) {
        // Inside counted data nothing is decided until its last byte is there.
        if (!atEnd && pending_.size() < expected_) return;
        ParseResult result = Parser(pending_, atEnd).run();
        if (result.status == Status::NeedMore) {
            expected_ = result.length;
            return;
        }
        expected_ = 0;
        emit(std::move(result.event), result.length);
    }
}

void Decoder::emit(Event event, std::size_t length) {
    event.offset = pendingOffset_;
    event.raw = pending_.substr(0, length);
    pending_.erase(0, length);
    pendingOffset_ += length;
    sink_(event);
}

std::vector<Event> decodeAll(std::string_view bytes) {
    std::vector<Event> events;
    Decoder decoder([&](const Event& e) { events.push_back(e); });
    decoder.feed(bytes);
    decoder.finish();
    return events;
}

}  // namespace trevalune::preview
