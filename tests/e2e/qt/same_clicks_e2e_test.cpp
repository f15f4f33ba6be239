// The Linux program as an operator uses it: the Qt window over the real CUPS spooler, real
// clicks and keys. What the virtual printer receives is kept as the reference for the Windows
// program, whose test under Wine makes the same clicks.
#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "alignment/test_print.h"
#include "form/form1.h"
#include "operations/command_panel.h"
#include "qt/qt_face.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/face-qt/qt_face_fixture.h"
#include "tests/support/fake_clock.h"

namespace trevalune::e2e {
namespace {

TEST_F(PrintServerTest, SameClicksPageEjectKorvelAndTheCommandBoxDeliverWhatTheBuildersMake) {
    testing::FakeClock clock;
    QTemporaryDir folder;
    testing::MessageBoxAnswerer boxes;
    QtFace face;
    // Built here, once SetUp has pointed libcups at the private server.
    Form1 form(face, spooler, clock, std::filesystem::path(folder.path().toStdU16String()));
    face.attach(form);
    qobject_cast<QTimer*>(&face.control(Control::Timer1))->stop();  // the run is the clicks
    QWidget& window = face.window();
    window.show();
    // The command box lies below the design size: the operator enlarges the window.
    window.resize(window.childrenRect().united(window.rect()).size());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(form.printerName(), server.virtualQueue);

    const auto click = [&](Control name, QWidget* w = nullptr) {
        QTest::mouseClick(w ? w : qobject_cast<QWidget*>(&face.control(name)), Qt::LeftButton);
    };
    click(Control::Command12);
    click(Control::Command18);
    auto* box = qobject_cast<QPlainTextEdit*>(&face.control(Control::Text2));
    click(Control::Text2, box->viewport());
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
