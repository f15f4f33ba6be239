// The alignment buttons: the test print (Command18) and the three set operations (Command16,
// Command3, Command8). Each builds its whole run from the controls first, so a value that
// cannot be sent is refused with a message before anything leaves or the buttons go off.
#include <QComboBox>
#include <QLineEdit>

#include "alignment/set_all_test_page.h"
#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "app/form1.h"
#include "ui_form1.h"

namespace trevalune {

void Form1::Command18_Click() {
    PrintAlignmentTest(1);
}

void Form1::PrintAlignmentTest(std::int16_t /*mode*/) {
    // Always a high-speed page; the argument is kept for the button's call.
    const std::string centre = ui->Combo2->currentText().toStdString();
    buildAndRun([&] { return buildAlignmentTest(centre); });
}

void Form1::Command16_Click() {
    const auto mode = selectedMode();
    if (!mode) return;  // the three options are exclusive and one is on from start-up
    const ModeValues values = modeValues();
    const std::string text1 = extraWaitText();
    buildAndRunBusy(kBusySetItems, std::string(kSettingCaption2),
                    [&] { return buildSetSingleItem(*mode, values, text1); });
}

void Form1::Command3_Click() {
    const ModeValues values = modeValues();
    const std::string text1 = extraWaitText();
    buildAndRunBusy(kBusySetItems, std::string(kSettingCaption2),
                    [&] { return buildSetAllItems(values, text1); });
}

void Form1::Command8_Click() {
    const ModeValues values = modeValues();
    const std::string text1 = extraWaitText();
    buildAndRunBusy(kBusySetAllWithPage, std::string(kSettingCaption2),
                    [&] { return buildSetAllWithTestPage(values, text1, hanziSample); });
}

std::string Form1::extraWaitText() const {
    return ui->Text1->text().toStdString();
}

}  // namespace trevalune
