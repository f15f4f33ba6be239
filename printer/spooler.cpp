#include "printer/spooler.h"

#include <array>

namespace trevalune {

namespace {

/// Reasons after which documents wait rather than print. CUPS adds a severity suffix
/// ("-error", "-warning", "-report") to its keywords, so they match by prefix; winspool's
/// status bits are given in the same words.
constexpr std::array<std::string_view, 12> kAttentionReasons = {
    "paused",    "offline", "media-empty", "media-needed", "media-jam", "paper-out",
    "paper-jam", "error",   "door-open",   "cover-open",   "shutdown",  "user-intervention"};

bool needsAttention(std::string_view reason) {
    for (std::string_view wanted : kAttentionReasons) {
        if (reason.substr(0, wanted.size()) == wanted) return true;
    }
    // Any other reason the spooler files as an error ("other-error", "toner-empty-error").
    constexpr std::string_view kError = "-error";
    return reason.size() > kError.size() && reason.substr(reason.size() - kError.size()) == kError;
}

}  // namespace

bool PrinterState::needsAttention() const {
    if (!found) return false;
    if (state == State::Stopped || state == State::Paused || !acceptingJobs) return true;
    for (const std::string& r : reasons) {
        if (trevalune::needsAttention(r)) return true;
    }
    return false;
}

std::string PrinterState::attentionText() const {
    std::string text(stateName(state));
    if (!acceptingJobs) text += ", not accepting jobs";
    for (const std::string& r : reasons) {
        if (trevalune::needsAttention(r) && r != "paused") text += ", " + r;
    }
    if (!message.empty()) text += ": " + message;
    return text;
}

SendResult Spooler::sendRawStream(const std::string& printer, const std::string& documentName,
                                  DocumentStream& stream) {
    std::string whole;
    for (std::string_view part; !(part = stream.next()).empty();) whole += part;
    if (const std::string why = stream.failure(); !why.empty()) return SendResult::notTaken(why);
    return sendRawDocument(printer, documentName, whole);
}

std::string_view stateName(PrinterState::State state) {
    constexpr std::array<std::string_view, 4> kNames = {"idle", "printing", "stopped", "paused"};
    return kNames[static_cast<std::size_t>(state)];
}

std::string_view stateName(JobState::State state) {
    constexpr std::array<std::string_view, 9> kNames = {"pending", "held",           "printing",
                                                        "stopped", "completed",      "canceled",
                                                        "aborted", "left the queue", "not known"};
    return kNames[static_cast<std::size_t>(state)];
}

}  // namespace trevalune
