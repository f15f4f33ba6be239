#include "printer/windows/win_spooler.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>

#include "common/utf16.h"
#include "printer/gbk.h"
#include "printer/windows/job_poll.h"
#include "printer/windows/spooler_status.h"

namespace trevalune {

namespace {

/// A printer name the system can take; none for a name GBK cannot hold, which no
/// installed printer can have.
std::optional<std::string> systemName(const std::string& utf8) {
    if (utf8.empty()) return std::nullopt;  // an empty name would open the print server itself
    try {
        return toGbk(utf8);
    } catch (const Refusal&) {
        return std::nullopt;
    }
}

struct PrinterCloser {
    using pointer = HANDLE;
    void operator()(HANDLE handle) const { ClosePrinter(handle); }
};
using Printer = std::unique_ptr<void, PrinterCloser>;

/// One GetPrinterW/GetJobW record: a sizing call, then the call into a buffer of that size
/// (asked again if the record grew in between). Empty when the call fails.
template <class Call>
std::vector<unsigned char> queryRecord(Call&& call) {
    DWORD needed = 0;
    call(nullptr, 0, &needed);
    std::vector<unsigned char> buffer;
    for (int attempt = 0; attempt < 3 && needed > 0; ++attempt) {
        buffer.assign(needed, 0);
        if (call(buffer.data(), needed, &needed)) return buffer;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    return {};
}

/// "WritePrinter: <the system's text for GetLastError> (error N)", as UTF-8.
std::string lastErrorText(const char* step) {
    const DWORD error = GetLastError();
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string utf8;
    if (length > 0) utf8 = fromWide({text, length});
    LocalFree(text);
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r' || utf8.back() == ' ')) {
        utf8.pop_back();
    }
    if (utf8.empty()) utf8 = "no description";
    return std::string(step) + ": " + utf8 + " (error " + std::to_string(error) + ")";
}

// spooler_status.h keeps the documented values without windows.h; the SDK's must agree.
static_assert(winspool::kPrinterStatusPaused == PRINTER_STATUS_PAUSED &&
              winspool::kPrinterStatusError == PRINTER_STATUS_ERROR &&
              winspool::kPrinterStatusPendingDeletion == PRINTER_STATUS_PENDING_DELETION &&
              winspool::kPrinterStatusPaperJam == PRINTER_STATUS_PAPER_JAM &&
              winspool::kPrinterStatusPaperOut == PRINTER_STATUS_PAPER_OUT &&
              winspool::kPrinterStatusManualFeed == PRINTER_STATUS_MANUAL_FEED &&
              winspool::kPrinterStatusPaperProblem == PRINTER_STATUS_PAPER_PROBLEM &&
              winspool::kPrinterStatusOffline == PRINTER_STATUS_OFFLINE &&
              winspool::kPrinterStatusPrinting == PRINTER_STATUS_PRINTING &&
              winspool::kPrinterStatusOutputBinFull == PRINTER_STATUS_OUTPUT_BIN_FULL &&
              winspool::kPrinterStatusNotAvailable == PRINTER_STATUS_NOT_AVAILABLE &&
              winspool::kPrinterStatusProcessing == PRINTER_STATUS_PROCESSING &&
              winspool::kPrinterStatusNoToner == PRINTER_STATUS_NO_TONER &&
              winspool::kPrinterStatusUserIntervention == PRINTER_STATUS_USER_INTERVENTION &&
              winspool::kPrinterStatusDoorOpen == PRINTER_STATUS_DOOR_OPEN &&
              winspool::kPrinterAttributeWorkOffline == PRINTER_ATTRIBUTE_WORK_OFFLINE);
static_assert(winspool::kJobStatusPaused == JOB_STATUS_PAUSED &&
              winspool::kJobStatusError == JOB_STATUS_ERROR &&
              winspool::kJobStatusDeleting == JOB_STATUS_DELETING &&
              winspool::kJobStatusSpooling == JOB_STATUS_SPOOLING &&
              winspool::kJobStatusPrinting == JOB_STATUS_PRINTING &&
              winspool::kJobStatusOffline == JOB_STATUS_OFFLINE &&
              winspool::kJobStatusPaperOut == JOB_STATUS_PAPEROUT &&
              winspool::kJobStatusPrinted == JOB_STATUS_PRINTED &&
              winspool::kJobStatusDeleted == JOB_STATUS_DELETED &&
              winspool::kJobStatusBlockedDevq == JOB_STATUS_BLOCKED_DEVQ &&
              winspool::kJobStatusUserIntervention == JOB_STATUS_USER_INTERVENTION &&
              winspool::kJobStatusComplete == JOB_STATUS_COMPLETE);

Printer openPrinter(std::string& gbkName) {
    HANDLE handle = nullptr;
    // No defaults: the document's datatype alone decides how the bytes are treated.
    if (!OpenPrinterA(gbkName.data(), &handle, nullptr)) return Printer();
    return Printer(handle);
}

}  // namespace

PrinterList WinSpooler::listPrinters() {
    constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    PrinterList list;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersA(kFlags, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<unsigned char> buffer;
    // A printer installed between the two calls makes the buffer too small: ask again.
    for (int attempt = 0; attempt < 3 && needed > 0; ++attempt) {
        buffer.assign(needed, 0);
        count = 0;
        if (EnumPrintersA(kFlags, nullptr, 4, buffer.data(), needed, &needed, &count)) break;
        count = 0;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (info[i].pPrinterName == nullptr) continue;
        try {
            list.names.push_back(fromGbk(info[i].pPrinterName));
        } catch (const Refusal&) {
            // Not GBK: a name the tool could not address again, so it is not offered.
        }
    }
    return list;
}

SendResult WinSpooler::sendRawDocument(const std::string& printer, const std::string& documentName,
                                       std::string_view data) {
    std::string docName = toGbk(documentName);
    std::optional<std::string> name = systemName(printer);
    if (!name) return SendResult::notOpened();
    Printer handle = openPrinter(*name);
    if (!handle) return SendResult::notOpened(lastErrorText("OpenPrinter"));

    char raw[] = "RAW";
    // Named explicitly: the bytes are printer commands and must pass through unrendered,
    // whatever datatype the driver would otherwise choose.
    DOC_INFO_1A info{docName.data(), nullptr, raw};
    const DWORD job = StartDocPrinterA(handle.get(), 1, reinterpret_cast<LPBYTE>(&info));
    if (job == 0) return SendResult::notTaken(lastErrorText("StartDocPrinter"));
    const int jobId = static_cast<int>(job);  // from here on, every outcome names the job
    // Until every byte is written, a failure takes the document back: a half-written job
    // must not print.
    const auto abandon = [&](const char* step) {
        SendResult failed = SendResult::notTaken(lastErrorText(step), jobId);
        AbortPrinter(handle.get());
        return failed;
    };
    if (!StartPagePrinter(handle.get())) return abandon("StartPagePrinter");
    // WritePrinter may take fewer bytes than offered; hand over the rest until it is all taken.
    std::string_view rest = data;
    while (!rest.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1u << 30));
        if (!WritePrinter(handle.get(), const_cast<char*>(rest.data()), chunk, &written)) {
            return abandon("WritePrinter");
        }
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            SendResult failed = abandon("WritePrinter");
            failed.reason = "the spooler took " + std::to_string(data.size() - rest.size()) +
                            " of " + std::to_string(data.size()) + " bytes: " + failed.reason;
            return failed;
        }
        rest.remove_prefix(std::min<std::size_t>(written, rest.size()));
    }
    if (!EndPagePrinter(handle.get())) return abandon("EndPagePrinter");
    // Every byte is written: the spooler may hold the document though it reports a failure,
    // so its fate is unknown, not "not taken". (Wine fails here for a queue that rejects jobs.)
    if (!EndDocPrinter(handle.get()))
        return SendResult::unknown(lastErrorText("EndDocPrinter"), jobId);
    return SendResult::taken(jobId);  // the handle closes here
}

JobQuery WinSpooler::queryActiveJobs(const std::string& printer) {
    std::optional<std::string> name = systemName(printer);
    if (!name) return {};
    Printer handle = openPrinter(*name);
    if (!handle) return {};  // a printer that cannot be opened reads as an empty queue
    return pollJobsTwoStep([&](unsigned char* buffer, std::uint32_t size) {
        DWORD needed = 0;
        DWORD returned = 0;
        const BOOL ok = EnumJobsA(handle.get(), kJobPollFirstJob, kJobPollMaxJobs, kJobPollLevel,
                                  buffer, size, &needed, &returned);
        return EnumJobsAnswer{ok != FALSE, needed, returned};
    });
}

PrinterState WinSpooler::printerState(const std::string& printer) {
    std::optional<std::string> name = systemName(printer);
    if (!name) return {};
    Printer handle = openPrinter(*name);
    if (!handle) return {};
    const std::vector<unsigned char> record =
        queryRecord([&](unsigned char* buffer, DWORD size, DWORD* needed) {
            return GetPrinterW(handle.get(), 2, buffer, size, needed) != FALSE;
        });
    if (record.empty()) return {};
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(record.data());
    return printerStateFromWinspool(info->Status, info->Attributes, info->cJobs);
}

JobState WinSpooler::jobState(const std::string& printer, int jobId) {
    // A job the queue no longer has, or a queue that cannot be asked: Windows keeps no
    // record of a job that has left its queue, so it is Gone, never "printed".
    // A queue that cannot be asked says nothing about the job: its state is not known.
    JobState unknown;
    std::optional<std::string> name = systemName(printer);
    if (!name || jobId <= 0) return unknown;
    Printer handle = openPrinter(*name);
    if (!handle) {
        unknown.message = lastErrorText("OpenPrinter");
        return unknown;
    }
    const std::vector<unsigned char> record = queryRecord([&](unsigned char* buffer, DWORD size,
                                                              DWORD* needed) {
        return GetJobW(handle.get(), static_cast<DWORD>(jobId), 1, buffer, size, needed) != FALSE;
    });
    if (record.empty()) return {JobState::State::Gone, {}, {}};
    return jobStateFromWinspool(reinterpret_cast<const JOB_INFO_1W*>(record.data())->Status);
}

void WinSpooler::setDefaultPrinter(const std::string& printer) {
    // Not the bare name into the "Device" value: Windows reads that value as
    // "name,driver,port", and with the name alone GetDefaultPrinter fails for every
    // program. SetDefaultPrinterA writes the full form and notifies running programs.
    if (std::optional<std::string> name = systemName(printer)) SetDefaultPrinterA(name->c_str());
}

std::optional<std::string> WinSpooler::defaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return std::nullopt;
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return std::nullopt;
    name.resize(wcslen(name.c_str()));
    const std::string utf8 = fromWide(name);
    if (utf8.empty()) return std::nullopt;
    return utf8;
}

}  // namespace trevalune
