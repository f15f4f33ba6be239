#include "app/message_box_sink.h"

#include <QApplication>
#include <QMessageBox>

namespace trevalune {

namespace {
QString qs(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
}  // namespace

void MessageBoxSink::show(std::string_view text, std::string_view title) {
    QMessageBox box(QMessageBox::NoIcon, qs(title), qs(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

}  // namespace trevalune
