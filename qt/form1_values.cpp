// The print mode buttons and the value box: the three alignment values live only as the
// captions of Labgs, Labcgs and Labcgm.
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

#include "alignment/value_text.h"
#include "app/form1.h"
#include "ui_form1.h"

namespace trevalune {

void Form1::Optgs_Click() {
    modeClicked(PrintMode::HighSpeed);
}

void Form1::Optcgs_Click() {
    modeClicked(PrintMode::HighDensity);
}

void Form1::Optcgm_Click() {
    modeClicked(PrintMode::SuperHighDensity);
}

void Form1::modeClicked(PrintMode mode) {
    if (modeButton(mode)->isChecked()) ui->cmbsz->setEditText(modeValueLabel(mode)->text());
}

void Form1::cmbsz_Change() {
    if (numericValue(ui->cmbsz->currentText().toStdString()) > 120) {
        // Runs this handler again before the copy below; 119 is the capped value.
        ui->cmbsz->setEditText(QStringLiteral("119"));
    }
    if (const auto mode = selectedMode()) modeValueLabel(*mode)->setText(ui->cmbsz->currentText());
}

void Form1::cmbsz_Click() {
    cmbsz_Change();
}

std::optional<PrintMode> Form1::selectedMode() const {
    for (PrintMode mode : kAllModes) {
        if (modeButton(mode)->isChecked()) return mode;
    }
    return std::nullopt;
}

QRadioButton* Form1::modeButton(PrintMode mode) const {
    switch (mode) {
        case PrintMode::HighSpeed:
            return ui->Optgs;
        case PrintMode::HighDensity:
            return ui->Optcgs;
        case PrintMode::SuperHighDensity:
            return ui->Optcgm;
    }
    return ui->Optgs;
}

QLabel* Form1::modeValueLabel(PrintMode mode) const {
    switch (mode) {
        case PrintMode::HighSpeed:
            return ui->Labgs;
        case PrintMode::HighDensity:
            return ui->Labcgs;
        case PrintMode::SuperHighDensity:
            return ui->Labcgm;
    }
    return ui->Labgs;
}

std::string Form1::modeValueText(PrintMode mode) const {
    return modeValueLabel(mode)->text().toStdString();
}

ModeValues Form1::modeValues() const {
    return {modeValueText(PrintMode::HighSpeed), modeValueText(PrintMode::HighDensity),
            modeValueText(PrintMode::SuperHighDensity)};
}

}  // namespace trevalune
