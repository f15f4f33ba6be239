// The whole window once through every button: the run that the sanitizer build and valgrind
// look at. Each button's own behaviour is tested beside it.
#include <fstream>

#include "form/control_table.h"
#include "tests/form/form_fixture.h"
#include "tests/support/every_button.h"

namespace trevalune::testing {
namespace {

TEST_F(FormTest, EveryButtonOnceFromStartToExit) {
    std::ofstream(folder.path() / "file.prn", std::ios::binary) << "\x1b@driver\n\f";
    start();

    const Names clicked = clickEveryButton(*form, face);

    std::size_t clickable = 0;
    for (const ControlSpec& c : controlTable()) {
        clickable += c.kind == ControlKind::Button || c.kind == ControlKind::Option ||
                     c.kind == ControlKind::CheckBox;
    }
    EXPECT_EQ(clicked.size(), clickable);
    EXPECT_EQ(face.messageTexts(), Names{"请输入的数据是16进制的范围"});
    ASSERT_FALSE(spooler.documents.empty());
    for (const auto& d : spooler.documents) EXPECT_EQ(d.printer, "RZ7-virtual");
    EXPECT_TRUE(face.closed);
    expectFaceShowsForm();
}

}  // namespace
}  // namespace trevalune::testing
