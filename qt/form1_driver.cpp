// The driver test print: "file.prn" from the program's folder, unchanged, as one document.
#include "form/driver_file.h"
#include "app/form1.h"
#include "printer/message_sink.h"

namespace trevalune {

void Form1::Command14_Click() {
    SendDriverFile();
}

void Form1::SendDriverFile() {
    // Read again at every press, so a file changed in between goes out in its new form.
    DriverFileRead read = readDriverFile(driverFilePath(driverFolder_));
    if (!read.problem.empty()) {
        messages_.showMessage(read.problem);
        return;
    }
    fileBytes = std::move(read.bytes);
    link_.SendBytesToPrinter(fileBytes, static_cast<int>(fileBytes.size()));
}

}  // namespace trevalune
