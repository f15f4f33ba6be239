#include "printer/timeline.h"

#include <gtest/gtest.h>

namespace trevalune {
namespace {

// Running a timeline is pinned step by step through the window (captions, waits and
// documents in one log); here: a refused value stops the build, before anything can run.
TEST(Timeline, BadHexIsRefusedWhileBuilding) {
    Timeline t;
    t.hex("0A");
    EXPECT_THROW(t.hex("ZZ"), EncodeError);
    EXPECT_EQ(t.documentCount(), 1u);
}

}  // namespace
}  // namespace trevalune
