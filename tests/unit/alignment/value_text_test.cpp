#include "alignment/value_text.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "alignment/value_check.h"

namespace trevalune {
namespace {

TEST(ValueText, LeadingDecimalNumber) {
    // The text, its value, whether it is a plain number.
    const std::tuple<const char*, double, bool> cases[] = {
        {"16", 16, true},     {"016", 16, true}, {"16.0", 16, true},     {" 31 ", 31, true},
        {"-3", -3, true},     {"+7", 7, true},   {"120.5", 120.5, true}, {".5", 0.5, true},
        {"12abc", 12, false}, {"abc", 0, false}, {"", 0, false},         {"-", 0, false},
        {".", 0, false},      {"1 6", 1, false}, {"5.", 5, true},        {"1e3", 1, false},
        {"\t7\t", 7, true},  // a tab is a blank too
        {"0.25", 0.25, true},
    };
    for (const auto& [text, value, plain] : cases) {
        EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
        EXPECT_EQ(isPlainNumber(text), plain) << '"' << text << '"';
    }
}

TEST(ValueText, ValueByteRoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    // -1: refused. No number reads as 0, which fits.
    const std::pair<const char*, int> cases[] = {
        {"16", 16}, {"255.4", 255}, {"16.6", 17},  {"abc", 0},  {"2.5", 2},
        {"3.5", 4}, {"-0.5", 0},    {"255.5", -1}, {"256", -1}, {"-0.6", -1}};
    for (const auto& [text, byte] : cases) EXPECT_EQ(valueByte(text).value_or(-1), byte) << text;
    EXPECT_EQ(roundHalfEven(1e12), std::nullopt);
}

// Centres the fuzzer (fuzz/value_text_fuzz.cpp) found one candidate short: stepping a
// fractional value by 1 overshot the last one.
TEST(ValueCheck, CandidatesAroundAFractionalCentreAreAlwaysAllThere) {
    EXPECT_EQ(candidatesAround(numericValue("0.36"), 2), (std::vector<int>{-2, -1, 0, 1, 2}));
    EXPECT_EQ(candidatesAround(numericValue("-07.7"), 3),
              (std::vector<int>{-11, -10, -9, -8, -7, -6, -5}));
    EXPECT_EQ(candidatesAround(31.5, 3), (std::vector<int>{28, 30, 30, 32, 32, 34, 34}));
    // A centre a hair below a half: no sum may round itself onto the half (33 went missing).
    EXPECT_EQ(candidatesAround(numericValue(" 30.499999999999999 "), 3),
              (std::vector<int>{27, 28, 29, 30, 31, 32, 33}));
    // Candidates are 16-bit numbers: a centre beyond them is refused.
    EXPECT_EQ(candidatesAround(30000, 1), (std::vector<int>{29999, 30000, 30001}));
    EXPECT_THROW(candidatesAround(40000, 3), Refusal);
}

}  // namespace
}  // namespace trevalune
