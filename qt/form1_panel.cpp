// The manual command panel (Text2, Check1, Command6), the paper and self-test buttons and
// the configuration block buttons.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include <algorithm>
#include <string>
#include <string_view>

#include "alignment/config_block.h"
#include "form/command_panel.h"
#include "app/form1.h"
#include "printer/message_sink.h"
#include "ui_form1.h"

namespace trevalune {

namespace {

constexpr std::string_view kHexInputMessage = "请输入的数据是16进制的范围";

std::u16string_view utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace

void Form1::Text2_Change() {
    if (correctingText2_) return;  // the correction below changes the text itself
    QString text = ui->Text2->toPlainText();
    const HexInputCheck check = checkHexInput(utf16(text));
    if (check.removed.empty()) return;
    qsizetype caret = ui->Text2->textCursor().position();
    // One message per distinct character; after each message every occurrence of that
    // character goes.
    for (const std::u16string& removed : check.removed) {
        const QString bad =
            QString::fromUtf16(removed.data(), static_cast<qsizetype>(removed.size()));
        messages_.showMessage(kHexInputMessage);
        caret -= text.left(caret).count(bad) * bad.size();
        text.remove(bad);
        correctingText2_ = true;
        ui->Text2->setPlainText(text);
        correctingText2_ = false;
    }
    // The caret stays where the operator was typing.
    QTextCursor cursor = ui->Text2->textCursor();
    cursor.setPosition(static_cast<int>(std::clamp<qsizetype>(caret, 0, text.size())));
    ui->Text2->setTextCursor(cursor);
}

void Form1::Check1_Click() {
    ui->Command9->setEnabled(ui->Check1->isChecked());
}

void Form1::Command6_Click() {
    const std::string text = ui->Text2->toPlainText().toStdString();
    if (text.empty()) return;
    const bool bracket = ui->Check1->isChecked();
    Timeline timeline;
    try {
        timeline = buildManualSend(text, bracket);
    } catch (const EncodeError& error) {
        // Refused input stays in the box, and the tick stays, so the operator can mend it.
        reportRefused(error);
        return;
    }
    try {
        runOperation(timeline);
    } catch (...) {
        clearCommandPanel();
        throw;
    }
    clearCommandPanel();
}

void Form1::clearCommandPanel() {
    ui->Check1->setChecked(false);
    ui->Command9->setEnabled(false);
    ui->Text2->clear();
}

void Form1::Command5_Click() {
    runOperation(buildLineFeed());
}

void Form1::Command12_Click() {
    runOperation(buildPageEject());
}

void Form1::Command10_Click() {
    runOperation(buildMicroFeedForward());
}

void Form1::Command11_Click() {
    runOperation(buildMicroFeedBack());
}

void Form1::Command1_Click() {
    runOperation(buildSelfTest());
}

void Form1::Command4_Click() {
    Timeline save;
    save.text(saveCommand());
    runOperation(save);
}

void Form1::Command7_Click() {
    runOperation(buildRestoreFactory());
}

void Form1::Command9_Click() {
    // Replaces the box's text; the input check accepts it (digits and single blanks).
    ui->Text2->setPlainText(QString::fromUtf8(kFactoryBlockSpaced.data(),
                                              static_cast<qsizetype>(kFactoryBlockSpaced.size())));
}

}  // namespace trevalune
