#include "app/form1.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QSignalBlocker>
#include <QTimer>

#include "alignment/hanzi_sample.h"
#include "printer/clock.h"
#include "printer/message_sink.h"
#include "printer/spooler.h"
#include "ui_form1.h"

namespace trevalune {

namespace {

QString qs(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

/// The captions are drawn in 宋体 where it exists; elsewhere in the first CJK font found.
void registerFontFallbacks() {
    QFont::insertSubstitutions(
        QStringLiteral("宋体"),
        {QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
         QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei")});
}

}  // namespace

Form1::Form1(Spooler& spooler, MessageSink& messages, Clock& clock,
             std::filesystem::path driverFolder, QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::Form1>()),
      spooler_(spooler),
      messages_(messages),
      clock_(clock),
      driverFolder_(std::move(driverFolder)),
      link_(spooler, messages, [this] { return printerName(); }) {
    registerFontFallbacks();
    ui->setupUi(this);
    applyDesignFonts();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connectHandlers();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::applyDesignFonts() {
    // Designer stores whole point sizes; the design's 14.25 and 15.75 ride along as a property.
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant size = w->property("designPointSize");
        if (!size.isValid()) continue;
        QFont f = w->font();
        f.setPointSizeF(size.toDouble());
        w->setFont(f);
    }
}

void Form1::connectHandlers() {
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    // Every selection, by the operator or by code, makes the printer the default.
    connect(ui->Combo1, &QComboBox::currentIndexChanged, this, &Form1::Combo1_Click);
    connect(ui->Combo1, &QComboBox::editTextChanged, this, &Form1::Combo1_Change);
    connect(ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    connect(ui->Text2, &QPlainTextEdit::textChanged, this, &Form1::Text2_Change);
    connect(ui->Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(ui->Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(ui->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(ui->Command12, &QPushButton::clicked, this, &Form1::Command12_Click);
    connect(ui->Command10, &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(ui->Command11, &QPushButton::clicked, this, &Form1::Command11_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(ui->Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(ui->Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(ui->Command14, &QPushButton::clicked, this, &Form1::Command14_Click);
    connect(ui->Command15, &QPushButton::clicked, this, &Form1::Command15_Click);
    connect(ui->Command17, &QPushButton::clicked, this, &Form1::Command17_Click);
    connect(ui->Command13, &QPushButton::clicked, this, &Form1::Command13_Click);

    connect(ui->Command18, &QPushButton::clicked, this, &Form1::Command18_Click);
    connect(ui->Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(ui->Command8, &QPushButton::clicked, this, &Form1::Command8_Click);

    // toggled also fires when code switches a mode on; the handlers act only on "on".
    connect(ui->Optgs, &QRadioButton::toggled, this, &Form1::Optgs_Click);
    connect(ui->Optcgs, &QRadioButton::toggled, this, &Form1::Optcgs_Click);
    connect(ui->Optcgm, &QRadioButton::toggled, this, &Form1::Optcgm_Click);
    connect(ui->cmbsz, &QComboBox::editTextChanged, this, &Form1::cmbsz_Change);
    connect(ui->cmbsz, &QComboBox::activated, this, &Form1::cmbsz_Click);
}

void Form1::Form_Load() {
    hanziSample = std::string(kHanziSample);
    Timer1->start();

    for (int v = 5; v <= 120; ++v) ui->Combo2->addItem(QString::number(v));
    ui->Combo2->setCurrentIndex(ui->Combo2->findText(QStringLiteral("31")));

    ui->Labgs->setText(QStringLiteral("16"));
    ui->Labcgs->setText(QStringLiteral("24"));
    ui->Labcgm->setText(QStringLiteral("40"));
    ui->Optgs->setChecked(true);  // copies Labgs into cmbsz
    ui->cmbsz->setEditText(QStringLiteral("16"));
    ui->Command9->setEnabled(false);

    const auto names = spooler_.printerNames();
    {
        // Filling the list selects nothing and makes no printer the default by itself.
        const QSignalBlocker quiet(ui->Combo1);
        for (const std::string& name : names) ui->Combo1->addItem(qs(name));
        ui->Combo1->setCurrentIndex(-1);
    }
    if (names.size() > 1) {
        // Each visited printer becomes the default in turn; the first "RZ7" one stays.
        for (int i = 0; i < ui->Combo1->count(); ++i) {
            ui->Combo1->setCurrentIndex(i);
            if (ui->Combo1->itemText(i).startsWith(QStringLiteral("RZ7"))) break;
        }
    }
}

void Form1::Combo1_Click() {
    SetDefaultPrinter();
}

void Form1::Combo1_Change() {
    SetDefaultPrinter();
}

void Form1::SetDefaultPrinter() {
    const std::string name = printerName();
    if (!name.empty()) spooler_.setDefaultPrinter(name);
}

void Form1::Command2_Click() {
    close();
    QCoreApplication::quit();
}

std::string Form1::printerName() const {
    return ui->Combo1->currentText().toStdString();
}

void Form1::runOperation(const Timeline& timeline) {
    runTimeline(timeline, link_, clock_, [this](const std::string& c) { showStatus(c); });
}

void Form1::reportRefused(const EncodeError& error) {
    messages_.showMessage(error.what());
}

void Form1::showStatus(const std::string& caption) {
    ui->Label8->setText(qs(caption));
    ui->Label8->repaint();
}

}  // namespace trevalune
