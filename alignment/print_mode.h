#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace trevalune {

/// The printer's three print modes. The number is what buildSetValueCommand takes,
/// the byte is what the printer receives.
enum class PrintMode { HighSpeed = 1, HighDensity = 2, SuperHighDensity = 3 };

/// The bar pattern of an alignment sample row and its label. A line's data is `repeats`
/// times `groups` groups; each group is a 12-byte head (six one-column bars with a gap after
/// each, or twelve empty columns) followed by `gap` empty columns.
struct SampleGeometry {
    int spacesMarked;  ///< blanks before the label when it carries the "*"
    int spacesUnmarked;
    int repeats;
    int groups;
    int firstBar;
    int lastBar;
    int gap;
};

/// Everything that differs between the print modes, in one place: whatever needs to know
/// a mode's byte, words or geometry reads it here rather than switching over the mode.
struct PrintModeTraits {
    PrintMode mode;
    int modeByte;                   ///< in the set-value command: 0x0A, 0x0B, 0x0C
    std::string_view caption;       ///< the option button's, also the set operations' mode word
    std::string_view word;          ///< in English text and on the command line
    std::string_view initialValue;  ///< the value label's caption at start-up
    SampleGeometry sample;          ///< the mode's own alignment sample row
    int sampleHalfWidth;            ///< sample rows from value - this to value + this
    int singleIndent;               ///< blanks before the title of "set single item"
    int allIndent;                  ///< blanks before the banner of "set all items"
    std::string_view bannerFeed;    ///< hex of the feed before that banner
    std::string_view pageWord;      ///< the mode's word on the set-all test page
    std::size_t pageBefore;         ///< sample characters before the page's marker group
    std::size_t pageAfter;          ///< and after it
};

// clang-format off
inline constexpr std::array<PrintModeTraits, 3> kPrintModes = {{
    {
        .mode = PrintMode::HighSpeed,
        .modeByte = 0x0A,
        .caption = "高速",
        .word = "high-speed",
        .initialValue = "16",
        .sample = {.spacesMarked = 25, .spacesUnmarked = 26, .repeats = 2, .groups = 18,
                   .firstBar = 7, .lastBar = 12, .gap = 68},
        .sampleHalfWidth = 2,
        .singleIndent = 30,
        .allIndent = 56,
        .bannerFeed = "1B4A20",
        .pageWord = "高速",
        .pageBefore = 22,
        .pageAfter = 21,
    },
    {
        .mode = PrintMode::HighDensity,
        .modeByte = 0x0B,
        .caption = "高密",
        .word = "high-density",
        .initialValue = "24",
        .sample = {.spacesMarked = 34, .spacesUnmarked = 35, .repeats = 2, .groups = 18,
                   .firstBar = 7, .lastBar = 12, .gap = 92},
        .sampleHalfWidth = 2,
        .singleIndent = 38,
        .allIndent = 30,
        .bannerFeed = "1B4A15",
        .pageWord = "标准",
        .pageBefore = 30,
        .pageAfter = 28,
    },
    {
        // Two more blanks without the marker than with it (not one, as in the other rows):
        // the unmarked labels print one place further right. Kept as printed.
        .mode = PrintMode::SuperHighDensity,
        .modeByte = 0x0C,
        .caption = "超高密",
        .word = "super-high-density",
        .initialValue = "40",
        .sample = {.spacesMarked = 56, .spacesUnmarked = 58, .repeats = 2, .groups = 20,
                   .firstBar = 8, .lastBar = 13, .gap = 132},
        .sampleHalfWidth = 3,
        .singleIndent = 61,
        .allIndent = 40,
        .bannerFeed = "1B4A15",
        .pageWord = "精细",
        .pageBefore = 45,
        .pageAfter = 43,
    },
}};
// clang-format on

inline constexpr std::array<PrintMode, 3> kAllModes = {PrintMode::HighSpeed, PrintMode::HighDensity,
                                                       PrintMode::SuperHighDensity};

/// 0, 1, 2: the mode's place in kPrintModes and in anything kept per mode.
constexpr std::size_t modeIndex(PrintMode mode) {
    return static_cast<std::size_t>(mode) - 1;
}

constexpr const PrintModeTraits& traits(PrintMode mode) {
    return kPrintModes[modeIndex(mode)];
}

constexpr int modeNumber(PrintMode mode) {
    return static_cast<int>(mode);
}

constexpr int modeByte(PrintMode mode) {
    return traits(mode).modeByte;
}

constexpr std::string_view modeCaption(PrintMode mode) {
    return traits(mode).caption;
}

/// The mode a set-value command's mode byte selects, or none for another byte.
constexpr std::optional<PrintMode> modeOfByte(int byte) {
    for (const PrintModeTraits& t : kPrintModes) {
        if (t.modeByte == byte) return t.mode;
    }
    return std::nullopt;
}

static_assert(modeIndex(kPrintModes[0].mode) == 0 && modeIndex(kPrintModes[1].mode) == 1 &&
                  modeIndex(kPrintModes[2].mode) == 2,
              "kPrintModes is indexed by modeIndex");

}  // namespace trevalune
