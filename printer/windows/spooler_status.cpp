#include "printer/windows/spooler_status.h"

#include <algorithm>
#include <string_view>

namespace trevalune {

namespace {

using namespace winspool;

struct Bit {
    std::uint32_t mask;
    std::string_view reason;  ///< CUPS's keyword where it has one, with its severity suffix
};

/// Printer status bits and their reasons. PRINTER_STATUS_PRINTING and _PROCESSING give the
/// state, not a reason.
constexpr Bit kPrinterBits[] = {
    {kPrinterStatusPaused, "paused"},
    {kPrinterStatusError, "other-error"},
    {kPrinterStatusOffline, "offline-report"},
    {kPrinterStatusNotAvailable, "offline-report"},
    {kPrinterStatusPaperOut, "media-empty-error"},
    {kPrinterStatusPaperJam, "media-jam-error"},
    {kPrinterStatusPaperProblem, "media-problem-error"},
    {kPrinterStatusManualFeed, "media-needed-report"},
    {kPrinterStatusOutputBinFull, "output-area-full-error"},
    {kPrinterStatusNoToner, "toner-empty-error"},
    {kPrinterStatusDoorOpen, "door-open-error"},
    {kPrinterStatusUserIntervention, "user-intervention-required"},
    {kPrinterStatusPendingDeletion, "deleting"},
};

/// Job status bits and their reasons.
constexpr Bit kJobBits[] = {
    {kJobStatusPaused, "paused"},
    {kJobStatusError, "other-error"},
    {kJobStatusOffline, "offline-report"},
    {kJobStatusPaperOut, "media-empty-error"},
    {kJobStatusBlockedDevq, "document-unprintable-error"},
    {kJobStatusUserIntervention, "user-intervention-required"},
    {kJobStatusDeleting, "deleting"},
    {kJobStatusDeleted, "deleted"},
    {kJobStatusSpooling, "job-spooling"},
    {kJobStatusPrinting, "job-printing"},
    {kJobStatusPrinted, "job-printed"},
    {kJobStatusComplete, "job-complete"},
};

template <std::size_t N>
std::vector<std::string> reasonsOf(std::uint32_t status, const Bit (&bits)[N]) {
    std::vector<std::string> reasons;
    for (const Bit& bit : bits) {
        const bool given = std::find(reasons.begin(), reasons.end(), bit.reason) != reasons.end();
        if ((status & bit.mask) != 0 && !given) reasons.emplace_back(bit.reason);
    }
    return reasons;
}

}  // namespace

PrinterState printerStateFromWinspool(std::uint32_t status, std::uint32_t attributes,
                                      std::uint32_t jobs) {
    PrinterState state;
    state.found = true;
    // "Use Printer Offline" is said as the offline status bit is.
    if ((attributes & kPrinterAttributeWorkOffline) != 0) status |= kPrinterStatusOffline;
    state.reasons = reasonsOf(status, kPrinterBits);
    if ((status & kPrinterStatusPaused) != 0) {
        state.state = PrinterState::State::Paused;
    } else if ((status & (kPrinterStatusPrinting | kPrinterStatusProcessing)) != 0) {
        state.state = PrinterState::State::Printing;
    }
    // A printer being deleted takes no new job; every other one takes them all, whatever
    // its state (the documents then wait).
    state.acceptingJobs = (status & kPrinterStatusPendingDeletion) == 0;
    state.jobsWaiting = static_cast<int>(jobs);
    return state;
}

JobState jobStateFromWinspool(std::uint32_t status) {
    using State = JobState::State;
    JobState job;
    job.reasons = reasonsOf(status, kJobBits);
    // First match wins: a printed job is usually also "deleting" on its way out of the queue,
    // and a job that waits for someone may still carry "printing".
    constexpr struct {
        std::uint32_t mask;
        State state;
    } kStates[] = {
        {kJobStatusPrinted | kJobStatusComplete, State::Completed},
        {kJobStatusDeleting | kJobStatusDeleted, State::Canceled},
        {kJobStatusError | kJobStatusOffline | kJobStatusPaperOut | kJobStatusBlockedDevq |
             kJobStatusUserIntervention,
         State::Stopped},
        {kJobStatusPaused, State::Held},
        {kJobStatusPrinting, State::Printing},
    };
    job.state = State::Pending;
    for (const auto& [mask, state] : kStates) {
        if ((status & mask) != 0) {
            job.state = state;
            break;
        }
    }
    return job;
}

}  // namespace trevalune
