// The Linux program as an operator uses it: the Qt window over the real CUPS spooler, real
// mouse clicks and key presses. What the virtual printer receives is kept as the reference
// for the Windows program, whose test under Wine makes the same clicks.
#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "alignment/test_print.h"
#include "form/form1.h"
#include "operations/command_panel.h"
#include "qt/qt_face.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/qt/qt_face_fixture.h"
#include "tests/support/fake_clock.h"

namespace trevalune::e2e {
namespace {

class SameClicksTest : public PrintServerTest {
protected:
    void click(Control name) {
        auto* button = qobject_cast<QAbstractButton*>(&face.control(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    testing::FakeClock clock;
    QTemporaryDir folder;
    testing::MessageBoxAnswerer boxes;
    QtFace face;
};

TEST_F(SameClicksTest, PageEjectKorvelAndTheCommandBoxDeliverWhatTheBuildersMake) {
    // Built here, once SetUp has pointed libcups at the private server.
    Form1 form(face, spooler, clock, std::filesystem::path(folder.path().toStdU16String()));
    face.attach(form);
    // Ticks would only change the clock; keep the run to the clicks.
    qobject_cast<QTimer*>(&face.control(Control::Timer1))->stop();
    QWidget& window = face.window();
    window.show();
    // The command box lies below the design size: the operator enlarges the window.
    window.resize(window.childrenRect().united(window.rect()).size());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(form.printerName(), server.virtualQueue);

    click(Control::Command12);
    click(Control::Command18);
    auto* box = qobject_cast<QPlainTextEdit*>(&face.control(Control::Text2));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTest::keyClicks(box, QStringLiteral("1b 4A 10"));
    click(Control::Command6);

    std::vector<std::string> expected = buildPageEject().documents();
    for (const Bytes& d : buildAlignmentTest("31").documents()) expected.push_back(d);
    expected.push_back(buildManualSend("1b 4A 10", false).documents().at(0));
    ASSERT_EQ(expected.size(), 62u);
    expectDelivered(expected);
    EXPECT_TRUE(boxes.shown.empty());

    // The reference for the Windows program: the files as the virtual printer wrote them.
    const std::filesystem::path reference(TREVALUNE_SAME_CLICKS_DIR);
    std::filesystem::remove_all(reference);
    std::filesystem::create_directories(reference);
    for (const std::string& file : printer.documentFiles()) {
        std::filesystem::copy_file(file, reference / std::filesystem::path(file).filename());
    }
}

}  // namespace
}  // namespace trevalune::e2e
