#include "tests/support/recording_spooler.h"

#include <algorithm>
#include <utility>

namespace trevalune {

RecordingSpooler::RecordingSpooler(std::vector<std::string> printerList)
    : printers(std::move(printerList)) {}

bool RecordingSpooler::known(const std::string& printer) const {
    return std::find(printers.begin(), printers.end(), printer) != printers.end();
}

PrinterList RecordingSpooler::listPrinters() {
    if (!unreachableServer.empty()) return {{}, unreachableServer};
    return {printers, {}};
}

SendResult RecordingSpooler::sendRawDocument(const std::string& printer,
                                             const std::string& documentName,
                                             std::string_view data) {
    if (!known(printer)) return SendResult::notOpened();
    if (const auto refusal = refusing.find(printer); refusal != refusing.end()) {
        return SendResult::notTaken(refusal->second);
    }
    documents.push_back({printer, documentName, std::string(data)});
    const int job = static_cast<int>(documents.size());
    const auto lost = unconfirmed.find(printer);
    SendResult result = lost == unconfirmed.end() ? SendResult::taken(job)
                                                  : SendResult::unknown(lost->second, job);
    if (onDocument) onDocument(documents.back());
    return result;
}

PrinterState RecordingSpooler::printerState(const std::string& printer) {
    if (const auto it = states.find(printer); it != states.end()) return it->second;
    PrinterState idle;
    idle.found = known(printer);
    return idle;
}

JobState RecordingSpooler::jobState(const std::string&, int jobId) {
    if (const auto it = jobs.find(jobId); it != jobs.end()) return it->second;
    return {JobState::State::Completed, {}, {}};
}

JobQuery RecordingSpooler::queryActiveJobs(const std::string& printer) {
    if (!known(printer)) return {};
    const auto it = queues.find(printer);
    return it == queues.end() ? JobQuery{} : it->second;
}

void RecordingSpooler::setDefaultPrinter(const std::string& printer) {
    defaultChanges.push_back(printer);
}

std::vector<std::string> RecordingSpooler::payloads() const {
    std::vector<std::string> out;
    out.reserve(documents.size());
    for (const auto& d : documents) out.push_back(d.data);
    return out;
}

}  // namespace trevalune
