#include "tests/form/form_fixture.h"

namespace trevalune::testing {
namespace {

using ValuesTest = StartedFormTest;

TEST_F(ValuesTest, TypedValuesAboveOneHundredTwentyBecome119) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "1"},     {"12", "12"},   {"125", "119"}, {"120", "120"}, {"120.5", "119"},
        {"121", "119"}, {"016", "016"}, {"-7", "-7"},   {"abc", "abc"}, {"", ""}};
    for (const auto& [typed, stored] : cases) {
        replace("cmbsz", "");
        type("cmbsz", typed);
        EXPECT_EQ(text("cmbsz"), stored) << typed;
        EXPECT_EQ(text("Labgs"), stored) << typed;
        expectFaceShowsForm();
    }
    EXPECT_EQ(text("Labcgs"), "24");
    EXPECT_EQ(text("Labcgm"), "40");
    EXPECT_TRUE(log.empty());
}

TEST_F(ValuesTest, EachModeKeepsItsOwnValue) {
    click("Optcgs");
    EXPECT_EQ(text("cmbsz"), "24");
    replace("cmbsz", "30");
    click("Optcgm");
    EXPECT_EQ(text("cmbsz"), "40");
    replace("cmbsz", "999");
    click("Optgs");
    EXPECT_EQ(text("cmbsz"), "16");
    click("Optcgs");
    EXPECT_EQ(text("cmbsz"), "30");
    EXPECT_FALSE(form->control("Optgs").checked);
    const ModeValues values = form->modeValues();
    EXPECT_EQ(values.highSpeed, "16");
    EXPECT_EQ(values.highDensity, "30");
    EXPECT_EQ(values.superHighDensity, "119");
    EXPECT_EQ(form->selectedMode(), PrintMode::HighDensity);
    expectFaceShowsForm();
}

}  // namespace
}  // namespace trevalune::testing
