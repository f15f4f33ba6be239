#include "printer/windows/win_spooler.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>

#include "printer/gbk.h"
#include "printer/windows/job_poll.h"

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

/// "WritePrinter: <the system's text for GetLastError> (error N)", as UTF-8.
std::string lastErrorText(const char* step) {
    const DWORD error = GetLastError();
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string utf8;
    if (length > 0) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                             nullptr, nullptr);
        utf8.resize(static_cast<std::size_t>(size));
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), size, nullptr,
                            nullptr);
    }
    LocalFree(text);
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r' || utf8.back() == ' ')) {
        utf8.pop_back();
    }
    if (utf8.empty()) utf8 = "no description";
    return std::string(step) + ": " + utf8 + " (error " + std::to_string(error) + ")";
}

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
    // From here on a failure takes the document back: a half-written job must not print.
    const auto abandon = [&](const char* step) {
        SendResult failed = SendResult::notTaken(lastErrorText(step));
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
    if (!EndDocPrinter(handle.get())) return SendResult::notTaken(lastErrorText("EndDocPrinter"));
    return SendResult::taken(static_cast<int>(job));  // the handle closes here
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

PrinterState WinSpooler::printerState(const std::string&) {
    return {};  // TODO: GetPrinterW level 2
}

JobState WinSpooler::jobState(const std::string&, int) {
    return {};  // TODO: GetJobW level 1
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
    const int length = WideCharToMultiByte(CP_UTF8, 0, name.data(), static_cast<int>(name.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), utf8.data(), length,
                        nullptr, nullptr);
    if (utf8.empty()) return std::nullopt;
    return utf8;
}

}  // namespace trevalune
