#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "printer/spooler.h"

namespace trevalune {

/// A spooler for tests: keeps every document with its printer and name, and can pretend
/// that printers are missing or that their queues hold jobs.
class RecordingSpooler final : public Spooler {
public:
    struct Document {
        std::string printer;
        std::string name;
        std::string data;
    };

    explicit RecordingSpooler(std::vector<std::string> printers = {});

    PrinterList listPrinters() override;
    SendResult sendRawDocument(const std::string& printer, const std::string& documentName,
                               std::string_view data) override;
    JobQuery queryActiveJobs(const std::string& printer) override;
    PrinterState printerState(const std::string& printer) override;
    JobState jobState(const std::string& printer, int jobId) override;
    void setDefaultPrinter(const std::string& printer) override;
    std::optional<std::string> defaultPrinter() override { return userDefault; }

    /// Printers that exist for listPrinters() and for opening.
    std::vector<std::string> printers;
    /// When set, listing answers with this server as the one that did not answer.
    std::string unreachableServer;
    /// Printers that open but take no document, with the reason they give.
    std::map<std::string, std::string> refusing;
    /// Printers that take the whole document but whose answer never comes (an Unknown
    /// outcome, with this reason); the document is recorded, since it may print.
    std::map<std::string, std::string> unconfirmed;
    /// What printerState answers per printer; a known printer without an entry is idle and
    /// accepting, an unknown one is not found.
    std::map<std::string, PrinterState> states;
    /// What jobState answers per job id; a job without an entry has completed.
    std::map<int, JobState> jobs;
    /// Sent documents, in order.
    std::vector<Document> documents;
    /// What defaultPrinter() answers (setDefaultPrinter only records).
    std::optional<std::string> userDefault;
    /// Every default-printer change, in order.
    std::vector<std::string> defaultChanges;
    /// Queue answers per printer; an unknown printer reads as empty.
    std::map<std::string, JobQuery> queues;
    /// Called after every recorded document (tests use it to merge event logs).
    std::function<void(const Document&)> onDocument;

    /// Just the bytes of every document, in order.
    std::vector<std::string> payloads() const;

private:
    bool known(const std::string& printer) const;
};

}  // namespace trevalune
