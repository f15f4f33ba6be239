#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "printer/refusals.h"

namespace trevalune {

/// A byte string as the printer receives it: GBK text with single bytes 0..255 mixed in.
/// std::string because it holds any byte (0x00 and 0xFF included) and compares cheaply in tests.
using Bytes = std::string;

/// How the tool refuses input, everywhere: raised before anything is sent when a value
/// cannot be used (a number that does not fit a byte, text that is not hex, a driver file
/// that cannot be read). what() is the message the window shows. The command line says it
/// in its run's language, so a refusal carries its Chinese and its English. Spooler failures
/// are not refusals: they come back in the send's result.
class Refusal final : public std::runtime_error {
public:
    /// One of the builders' refusals, its texts from their table.
    explicit Refusal(RefusalCode code, const std::vector<std::string>& args = {});
    /// A refusal of the command line's own; the window shows the Chinese.
    Refusal(const std::string& chinese, std::string english)
        : std::runtime_error(chinese), english_(std::move(english)) {}
    std::string inChinese() const { return chinese_.empty() ? what() : chinese_; }
    const std::string& inEnglish() const { return english_; }
    /// Whether its text says already that nothing was sent.
    bool saysNothingSent() const { return saysNothingSent_; }

private:
    std::string english_;
    std::string chinese_;  ///< empty where what() is the Chinese
    bool saysNothingSent_ = false;
};

/// Bytes from numeric codes; every code must be 0..255.
Bytes bytesOf(std::initializer_list<int> codes);

/// One byte from a number; throws Refusal outside 0..255.
char byteOf(int code);

/// Upper-case hex pairs without separators, the form the system builds hex text in.
std::string toHexText(std::string_view bytes);

/// Spaced upper-case hex pairs ("1B 4A 10"), for messages and test diagnostics.
std::string toSpacedHex(std::string_view bytes);

}  // namespace trevalune
