#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "printer/spooler.h"

namespace trevalune {

/// The spooler on CUPS (libcups 2.4). The server is the one the client configuration names
/// (CUPS_SERVER, client.conf, the local socket). Every call opens its own connection with a
/// bounded connect and request time, so a server that does not answer costs seconds, not a hang.
class CupsSpooler final : public Spooler {
public:
    /// `timeoutMs` bounds connecting and each request.
    explicit CupsSpooler(int timeoutMs = 5000);

    /// A server that cannot be reached, or that fails the request, is named in the answer.
    PrinterList listPrinters() override;
    bool sendRawDocument(const std::string& printer, const std::string& documentName,
                         std::string_view data) override;
    JobQuery queryActiveJobs(const std::string& printer) override;
    /// Writes the user's lpoptions (as `lpoptions -d` does); as root that is the server root's.
    void setDefaultPrinter(const std::string& printer) override;

private:
    int timeoutMs_;
};

}  // namespace trevalune
