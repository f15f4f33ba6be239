#include "alignment/value_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "alignment/value_text.h"

namespace trevalune {
namespace {

// Centres the fuzzer (fuzz/value_text_fuzz.cpp) found one candidate short: stepping a
// fractional value by 1 overshot the last one.
TEST(ValueCheck, CandidatesAroundAFractionalCentreAreAlwaysAllThere) {
    EXPECT_EQ(candidatesAround(numericValue("0.36"), 2), (std::vector<int>{-2, -1, 0, 1, 2}));
    EXPECT_EQ(candidatesAround(numericValue("-07.7"), 3),
              (std::vector<int>{-11, -10, -9, -8, -7, -6, -5}));
    EXPECT_EQ(candidatesAround(31.5, 3), (std::vector<int>{28, 30, 30, 32, 32, 34, 34}));
}

}  // namespace
}  // namespace trevalune
