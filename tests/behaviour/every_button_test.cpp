// The whole window once through every button: the run that the sanitizer build and valgrind
// look at. Each button's own behaviour is tested beside it.
#include <fstream>

#include "tests/behaviour/form_fixture.h"
#include "tests/support/every_button.h"

namespace trevalune::testing {
namespace {

TEST_F(FormTest, EveryButtonOnceFromStartToExit) {
    std::ofstream(folder.path() / "file.prn", std::ios::binary) << "\x1b@driver\n\f";

    clickEveryButton(*form, face);  // fails on a control that is off when its turn comes
    EXPECT_EQ(face.messageTexts(), Names{"请输入的数据是16进制的范围"});
    ASSERT_FALSE(spooler.documents.empty());
    for (const auto& d : spooler.documents) EXPECT_EQ(d.printer, "RZ7-virtual");
    EXPECT_TRUE(face.closed);
    expectFaceShowsForm();
}

}  // namespace
}  // namespace trevalune::testing
