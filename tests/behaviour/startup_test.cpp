#include <tuple>

#include "alignment/hanzi_sample.h"
#include "tests/behaviour/form_fixture.h"

namespace trevalune::testing {
namespace {

TEST_F(FormTest, StartsInTheDesignState) {
    start({});
    const ControlState& combo2 = form->control(Control::centreList);
    ASSERT_EQ(combo2.items.size(), 116u);
    EXPECT_EQ(combo2.items.front(), "5");
    EXPECT_EQ(combo2.items.back(), "120");
    // clang-format off
    const std::pair<Control, const char*> texts[] = {
        {Control::centreList, "31"}, {Control::highSpeedValue, "16"}, {Control::highDensityValue, "24"},
        {Control::superHighDensityValue, "40"}, {Control::valueBox, "16"}, {Control::statusLabel, "完成....."},
        {Control::extraWait, "5000"}, {Control::versionLabel, "Korvel  V20170609 V1.0"},
        {Control::clock, ""}, {Control::printerList, ""}};
    // clang-format on
    for (const auto& [name, expected] : texts) EXPECT_EQ(text(name), expected) << name;
    EXPECT_TRUE(form->control(Control::highSpeedOption).checked);
    EXPECT_EQ(disabledButtons(), Controls{Control::factoryBlock});
    // No printer: nothing listed, nothing selected, the default left alone, nothing said.
    EXPECT_TRUE(form->control(Control::printerList).items.empty());
    EXPECT_TRUE(spooler.defaultChanges.empty());
    EXPECT_TRUE(log.empty());
    expectFaceShowsForm();
}

TEST_F(FormTest, PreselectsTheFirstRz7PrinterMakingEachVisitedOneTheDefault) {
    // clang-format off
    const std::tuple<Names, Names, std::string> cases[] = {
        {{"Office1"}, {}, ""}, {{"A", "B", "C"}, {"A", "B", "C"}, "C"},
        {{"A", "RZ7-1", "RZ7-2"}, {"A", "RZ7-1"}, "RZ7-1"}, {{"rz7x", "B"}, {"rz7x", "B"}, "B"},
        {{" RZ7", "B"}, {" RZ7", "B"}, "B"}, {{"RZ", "RZ7"}, {"RZ", "RZ7"}, "RZ7"}, {{"RZ7", "B"}, {"RZ7"}, "RZ7"},
        {{"打印机", "RZ7 办公室"}, {"打印机", "RZ7 办公室"}, "RZ7 办公室"}};
    // clang-format on
    for (const auto& [printers, defaults, selected] : cases) {
        SCOPED_TRACE(printers.front());
        start(printers);
        EXPECT_EQ(spooler.defaultChanges, defaults);
        EXPECT_EQ(text(Control::printerList), selected);
        expectFaceShowsForm();
    }
}

TEST_F(FormTest, APrintServerThatDoesNotAnswerIsNamedOnceAtStartUp) {
    spooler.unreachableServer = "127.0.0.1:1";
    start({"RZ7-virtual"});
    EXPECT_EQ(face.messages, (std::vector<RecordingFace::Message>{
                                 {"No print server answers at 127.0.0.1:1, so no printer can be "
                                  "listed.",
                                  "Trevalune"}}));
    EXPECT_TRUE(form->control(Control::printerList).items.empty());
    EXPECT_TRUE(spooler.defaultChanges.empty());
}

}  // namespace
}  // namespace trevalune::testing
