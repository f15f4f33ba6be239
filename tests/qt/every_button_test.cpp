// The whole window once through every button: the run that the sanitizer build and
// scripts/valgrind-window look at. Each button's own behaviour is tested beside it.
#include <QFile>

#include "tests/window/every_button.h"
#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

TEST_F(FormTest, EveryButtonOnceFromStartToExit) {
    QFile file(folder.filePath(QStringLiteral("file.prn")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x1b@driver\n\f", 11);
    file.close();
    start();

    const auto clicked = clickEveryButton(*form);

    EXPECT_EQ(clicked.size(), form->findChildren<QAbstractButton*>().size());
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"请输入的数据是16进制的范围"});
    ASSERT_FALSE(spooler.documents.empty());
    for (const auto& d : spooler.documents) EXPECT_EQ(d.printer, "RZ7-virtual");
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace trevalune::testing
