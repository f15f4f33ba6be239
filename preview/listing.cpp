#include "preview/listing.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <vector>

#include "printer/gbk.h"

namespace trevalune::preview {

namespace {

std::string spacedHex(std::string_view bytes) {
    std::string out;
    char pair[4];
    for (const char c : bytes) {
        std::snprintf(pair, sizeof pair, out.empty() ? "%02X" : " %02X",
                      static_cast<unsigned char>(c));
        out += pair;
    }
    return out;
}

/// Hex column of the listing: whole up to 16 bytes, else the first 10 and how many follow.
std::string hexColumn(std::string_view raw) {
    if (raw.size() <= 16) return spacedHex(raw);
    return spacedHex(raw.substr(0, 10)) + " +" + std::to_string(raw.size() - 10);
}

/// A GBK character as UTF-8; one the code page has no Unicode for shows as U+FFFD.
std::string characterText(std::string_view gbk) {
    try {
        return fromGbk(gbk);
    } catch (const std::exception&) {
        return "\xEF\xBF\xBD";
    }
}

std::string lineWidthName(int count) {
    switch (count) {
        case 2880:
            return " (high-speed width)";
        case 3744:
            return " (high-density width)";
        case 5760:
            return " (super-high-density width)";
        default:
            return "";
    }
}

using PinSet = std::uint16_t;  // bit p - 1 for pin p

PinSet pinsOf(unsigned char evenByte, unsigned char oddByte) {
    PinSet pins = 0;
    for (int i = 0; i < 8; ++i) {
        const int bit = 0x80 >> i;
        if (evenByte & bit) pins |= PinSet(1u << (2 * i + 1));  // pin 2i + 2
        if (oddByte & bit) pins |= PinSet(1u << (2 * i));       // pin 2i + 1
    }
    return pins;
}

std::string pinName(PinSet pins) {
    if (pins == 0xFFFF) return "all pins";
    if (pins == 0xAAAA) return "even pins";
    if (pins == 0x5555) return "odd pins";
    std::string names;
    int count = 0;
    for (int p = 1; p <= 16; ++p) {
        if (!(pins & (1u << (p - 1)))) continue;
        names += (count++ ? ", " : "") + std::to_string(p);
    }
    return (count == 1 ? "pin " : "pins ") + names;
}

std::string span(int from, int to) {
    return std::to_string(from) + "-" + std::to_string(to);
}

}  // namespace

std::string describeImage(std::string_view data) {
    const int count = static_cast<int>(data.size());
    const int columns = (count + 1) / 2;
    std::vector<PinSet> pins(columns);
    for (int c = 0; c < columns; ++c) {
        const auto even = static_cast<unsigned char>(data[c]);
        const auto odd = columns + c < count ? static_cast<unsigned char>(data[columns + c]) : 0;
        pins[c] = pinsOf(even, odd);
    }
    // Pin test lines cut each half into 16 blocks; name a pin's stroke by its block.
    const int block = columns % 16 == 0 ? columns / 16 : 0;
    constexpr int kMostRuns = 24;
    std::vector<std::string> runs;
    int more = 0;
    for (int c = 0; c < columns;) {
        const PinSet set = pins[c];
        if (set == 0) {
            ++c;
            continue;
        }
        int end = c;
        bool solid = false;
        if (c + 1 < columns && pins[c + 1] == set) {
            solid = true;
            while (end + 1 < columns && pins[end + 1] == set) ++end;
        } else {
            // Every other column: the set, a blank column, the set again ...
            while (end + 2 < columns && pins[end + 1] == 0 && pins[end + 2] == set) end += 2;
        }
        std::string text;
        const bool onePin = (set & (set - 1)) == 0;
        if (solid) {
            text = "band (" + pinName(set) + ") at " + span(c, end);
        } else if (onePin && block > 0 && c % block == 0 && end < c + block && end > c) {
            text = pinName(set) + " block " + std::to_string(c / block + 1);
        } else if (onePin) {
            text = pinName(set) + ", " + std::to_string((end - c) / 2 + 1) + " dots at " +
                   span(c, end);
        } else {
            text = std::to_string((end - c) / 2 + 1) + " bars (" + pinName(set) + ") at " +
                   span(c, end);
        }
        if (static_cast<int>(runs.size()) < kMostRuns) {
            runs.push_back(std::move(text));
        } else {
            ++more;
        }
        c = end + 1;
    }
    if (runs.empty()) return "nothing";
    std::string out;
    for (const auto& r : runs) out += (out.empty() ? "" : "; ") + r;
    if (more > 0) out += "; and " + std::to_string(more) + " more";
    return out;
}

std::string describe(const Event& e) {
    switch (e.kind) {
        case EventKind::Text:
            return characterText(e.raw);
        case EventKind::BitImage: {
            std::string out = "ESC * bit image, density " + std::to_string(e.density) + ", " +
                              std::to_string(e.count) + " columns of data";
            if (e.density != 1) return out + " (not drawn: only density 1 is)";
            out = "bit image: " + std::to_string(e.count) +
                  " bytes = " + std::to_string((e.count + 1) / 2) + " columns" +
                  lineWidthName(e.count) + ": ";
            return out + describeImage(e.data());
        }
        case EventKind::FeedForward:
            return "ESC J: paper forward " + std::to_string(e.rows) + " dot rows";
        case EventKind::FeedBackward:
            return "ESC j: paper back " + std::to_string(e.rows) + " dot rows";
        case EventKind::CarriageReturn:
            return "CR";
        case EventKind::LineFeed:
            return "LF";
        case EventKind::PageEject:
            return "GS V S: page eject";
        case EventKind::SetValue: {
            static constexpr std::array<const char*, 5> kShape = {
                "FF + 3 LF", "00 + 2 LF", "FF + 2 LF", "00 + 4 LF", "FF + 5 LF"};
            const std::string trailer = std::string(trailerName(e.trailer)) + " trailer (" +
                                        kShape[static_cast<int>(e.trailer)] + ")";
            if (e.value == kKeepValue) {
                return "set value: select " + std::string(modeName(e.mode)) +
                       ", value FF keeps its value, " + trailer;
            }
            return "set value: " + std::string(modeName(e.mode)) + " = " + std::to_string(e.value) +
                   ", " + trailer;
        }
        case EventKind::Save:
            return "ESC : save configuration";
        case EventKind::SelfTest:
            return "ESC : self-test";
        case EventKind::ConfigBlock: {
            std::string out = "ESC : E configuration block, " + std::to_string(e.count) + " bytes";
            const std::string_view d = e.data();
            if (d.size() >= 2 && d.size() % 2 == 0) {
                out += ": " + spacedHex(d.substr(0, 2)) + ", " + std::to_string(d.size() / 2 - 1) +
                       " items";
                for (std::size_t i = 2; i < d.size(); i += 2) {
                    out += " " + spacedHex(d.substr(i, 2));
                }
            }
            return out;
        }
        case EventKind::Error:
            return "ERROR " + e.message;
    }
    return "?";
}

void Listing::line(std::size_t offset, std::string_view raw, const std::string& meaning) {
    char head[16];
    std::snprintf(head, sizeof head, "%8zu  ", offset);
    std::string hex = hexColumn(raw);
    if (hex.size() < 48) hex.resize(48, ' ');
    out_ << head << hex << "  " << meaning << '\n';
}

void Listing::add(const Event& event) {
    headingsUpTo(event.offset);
    if (event.kind == EventKind::Text) {
        if (textRaw_.empty()) textOffset_ = event.offset;
        textRaw_ += event.raw;
        textCells_ += static_cast<int>(event.raw.size());
        return;
    }
    flush();
    if (event.kind == EventKind::Error) ++errors_;
    line(event.offset, event.raw, describe(event));
}

void Listing::heading(std::size_t offset, std::string_view text) {
    headings_.emplace_back(offset, text);
}

void Listing::headingsUpTo(std::size_t offset) {
    while (!headings_.empty() && headings_.front().first <= offset) {
        flush();  // a text line belongs to the document above the heading
        out_ << "# " << headings_.front().second << '\n';
        headings_.pop_front();
    }
}

void Listing::finish() {
    flush();
    for (const auto& [offset, text] : headings_) out_ << "# " << text << '\n';
    headings_.clear();
}

void Listing::flush() {
    if (textRaw_.empty()) return;
    std::string shown;
    for (std::size_t i = 0; i < textRaw_.size();) {
        const std::size_t n = static_cast<unsigned char>(textRaw_[i]) >= 0x80 ? 2 : 1;
        shown += characterText(std::string_view(textRaw_).substr(i, n));
        i += n;
    }
    line(textOffset_, textRaw_,
         "text \"" + shown + "\" (" + std::to_string(textCells_) +
             (textCells_ == 1 ? " cell)" : " cells)"));
    textRaw_.clear();
    textCells_ = 0;
}

std::string listingOf(std::string_view bytes) {
    std::ostringstream out;
    {
        Listing listing(out);
        Decoder decoder([&](const Event& e) { listing.add(e); });
        decoder.feed(bytes);
        decoder.finish();
    }
    return out.str();
}

}  // namespace trevalune::preview
