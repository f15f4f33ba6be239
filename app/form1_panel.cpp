// The manual command panel (Text2, Check1, Command6), the paper and self-test buttons and
// the configuration block buttons.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include <algorithm>

#include "alignment/config_block.h"
#include "app/command_panel.h"
#include "app/form1.h"
#include "printer/message_sink.h"
#include "ui_form1.h"

namespace trevalune {

namespace {

constexpr std::string_view kHexInputMessage = "请输入的数据是16进制的范围";

bool isHexInput(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') ||
           c == u' ';
}

/// The first character (a whole surrogate pair where there is one) the box does not allow.
QString firstDisallowed(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isHexInput(text[i])) continue;
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        return text.mid(i, pair ? 2 : 1);
    }
    return {};
}

}  // namespace

void Form1::Text2_Change() {
    if (correctingText2_) return;  // the correction below changes the text itself
    QString text = ui->Text2->toPlainText();
    qsizetype caret = ui->Text2->textCursor().position();
    bool corrected = false;
    // One message per distinct character, in order of first occurrence; after each message
    // every occurrence of that character goes.
    for (QString bad = firstDisallowed(text); !bad.isEmpty(); bad = firstDisallowed(text)) {
        messages_.showMessage(kHexInputMessage);
        caret -= text.left(caret).count(bad) * bad.size();
        text.remove(bad);
        correctingText2_ = true;
        ui->Text2->setPlainText(text);
        correctingText2_ = false;
        corrected = true;
    }
    if (corrected) {
        // The caret stays where the operator was typing.
        QTextCursor cursor = ui->Text2->textCursor();
        cursor.setPosition(static_cast<int>(std::clamp<qsizetype>(caret, 0, text.size())));
        ui->Text2->setTextCursor(cursor);
    }
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
