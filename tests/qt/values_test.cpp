#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

class ValuesTest : public StartedFormTest {
protected:
    void type(const char* keys) {
        QLineEdit* edit = get<QComboBox>("cmbsz")->lineEdit();
        edit->clear();
        QTest::keyClicks(edit, QString::fromUtf8(keys));
    }
};

TEST_F(ValuesTest, TypedValuesAboveOneHundredTwentyBecome119) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "1"},     {"12", "12"},   {"125", "119"}, {"120", "120"}, {"120.5", "119"},
        {"121", "119"}, {"016", "016"}, {"-7", "-7"},   {"abc", "abc"}, {"", ""}};
    for (const auto& [typed, stored] : cases) {
        type(typed);
        EXPECT_EQ(text("cmbsz"), stored) << typed;
        EXPECT_EQ(text("Labgs"), stored) << typed;
    }
    EXPECT_EQ(text("Labcgs"), "24");
    EXPECT_EQ(text("Labcgm"), "40");
    EXPECT_TRUE(log.empty());
}

TEST_F(ValuesTest, EachModeKeepsItsOwnValue) {
    click("Optcgs");
    EXPECT_EQ(text("cmbsz"), "24");
    type("30");
    click("Optcgm");
    EXPECT_EQ(text("cmbsz"), "40");
    type("999");
    click("Optgs");
    EXPECT_EQ(text("cmbsz"), "16");
    click("Optcgs");
    EXPECT_EQ(text("cmbsz"), "30");
    const ModeValues values = form->modeValues();
    EXPECT_EQ(values.highSpeed, "16");
    EXPECT_EQ(values.highDensity, "30");
    EXPECT_EQ(values.superHighDensity, "119");
    EXPECT_EQ(form->selectedMode(), PrintMode::HighDensity);
}

}  // namespace
}  // namespace trevalune::testing
