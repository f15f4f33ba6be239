#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "printer/spooler.h"

namespace trevalune {

/// The spooler on winspool, through its ANSI functions. Printer and document names are
/// UTF-8 here and GBK (code page 936) towards the system, the code page the printer's
/// Windows installations run in. Every call opens and closes its own printer handle.
class WinSpooler final : public Spooler {
public:
    /// Local printers and connections, in the order the system enumerates them.
    PrinterList listPrinters() override;
    /// One RAW document with one page. Every call's result is examined, and WritePrinter's
    /// count; after a failure the document is aborted and GetLastError's text is the reason.
    SendResult sendRawDocument(const std::string& printer, const std::string& documentName,
                               std::string_view data) override;
    /// A sizing query and then the real one (level 1, from job 0, at most 99 jobs).
    JobQuery queryActiveJobs(const std::string& printer) override;
    /// GetPrinterW level 2: Status, Attributes and cJobs.
    PrinterState printerState(const std::string& printer) override;
    /// GetJobW level 1; a job that has left the queue is Gone (Windows keeps no record), one
    /// of a queue that cannot be opened Unknown.
    JobState jobState(const std::string& printer, int jobId) override;
    /// SetDefaultPrinterA: stores the name with its driver and port, as Windows reads it.
    void setDefaultPrinter(const std::string& printer) override;
    /// GetDefaultPrinterW.
    std::optional<std::string> defaultPrinter() override;
};

}  // namespace trevalune
