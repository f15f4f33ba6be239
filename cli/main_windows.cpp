// trevalune-send.exe on winspool: every window operation from the command line; see
// send_command.h. A console program: arguments arrive as UTF-16 and are passed on as UTF-8.
// Text goes to a console as UTF-16, legible whatever its code page, and to a file or pipe as
// UTF-8. Ctrl-C, Ctrl-Break and the console closing stop the run as a signal does on Linux.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/command_scanner.h"
#include "cli/interruption.h"
#include "cli/library_row_reader.h"
#include "cli/send_command.h"
#include "common/guarded_main.h"
#include "common/utf16.h"
#include "printer/windows/win_spooler.h"

namespace {

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;  // _isatty also says yes for NUL
}

/// How many leading bytes of `utf8` end on a character boundary.
std::size_t wholeCharacters(std::string_view utf8) {
    std::size_t start = utf8.size();  // of the last character
    while (start > 0 && utf8.size() - start < 3 && (utf8[start - 1] & 0xC0) == 0x80) --start;
    if (start == 0) return utf8.size();
    const auto lead = static_cast<unsigned char>(utf8[start - 1]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return start - 1 + length > utf8.size() ? start - 1 : utf8.size();
}

/// Standard output or error. A console gets UTF-16 through WriteConsoleW: its code page
/// (936, 437, even 65001 on older consoles) cannot mangle what it never converts. A file or a
/// pipe gets `codePage`'s bytes (0: UTF-8). Whole lines go out as they end (a job id must reach
/// a script at once), the rest on flush; the queues' threads may write, so one writer at a time.
class ConsoleBuf final : public std::streambuf {
public:
    ConsoleBuf(DWORD which, bool json)
        : handle_(GetStdHandle(which)),
          console_(isConsole(handle_)),
          codePage_(trevalune::send::buildRedirectedCodePage(json, GetConsoleOutputCP())) {}
    ~ConsoleBuf() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        const std::lock_guard lock(mutex_);
        pending_.append(text, static_cast<std::size_t>(count));
        const std::size_t lineEnd = pending_.rfind('\n');
        if (lineEnd != std::string::npos && !write(lineEnd + 1)) return 0;
        return count;
    }

    int sync() override {
        const std::lock_guard lock(mutex_);
        // A console keeps a character cut in two until its last bytes come.
        return write(console_ || codePage_ != 0 ? wholeCharacters(pending_) : pending_.size()) ? 0
                                                                                               : -1;
    }

private:
    /// Writes the first `count` pending bytes and drops them.
    bool write(std::size_t count) {
        bool ok = true;
        if (console_) {
            const std::wstring text =
                trevalune::toWide(std::string_view(pending_).substr(0, count));
            for (std::size_t done = 0; ok && done < text.size();) {
                DWORD written = 0;
                const auto chunk =
                    static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
                ok = WriteConsoleW(handle_, text.data() + done, chunk, &written, nullptr) &&
                     written > 0;
                done += written;
            }
        } else {
            const std::string bytes = encoded(std::string_view(pending_).substr(0, count));
            for (std::size_t done = 0; ok && done < bytes.size();) {
                DWORD written = 0;
                ok = WriteFile(handle_, bytes.data() + done,
                               static_cast<DWORD>(bytes.size() - done), &written, nullptr) &&
                     written > 0;
                done += written;
            }
        }
        pending_.erase(0, count);
        return ok;
    }

    /// The text in the code page; what it cannot hold becomes its default character.
    std::string encoded(std::string_view utf8) const {
        if (codePage_ == 0 || utf8.empty()) return std::string(utf8);
        const std::wstring wide = trevalune::toWide(utf8);
        const int size = WideCharToMultiByte(
            codePage_, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
        if (size <= 0) return std::string(utf8);
        std::string out(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(codePage_, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                            size, nullptr, nullptr);
        return out;
    }

    HANDLE handle_;
    bool console_;
    UINT codePage_;
    std::mutex mutex_;
    std::string pending_;
};

/// align's questions. A console's own input is read as UTF-16 too; its code page would
/// otherwise decide the bytes.
class ConsoleTerminal final : public trevalune::send::Terminal {
public:
    std::optional<std::string> ask(const std::string& prompt) override {
        std::cerr << prompt << std::flush;
        const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        std::wstring line;
        wchar_t c = 0;
        DWORD read = 0;
        while (ReadConsoleW(input, &c, 1, &read, nullptr) && read == 1 && c != L'\n') {
            if (c != L'\r') line += c;
        }
        // Nothing read: the input ended or Ctrl-C broke off the read. ^Z is the console's end.
        if ((read == 0 && line.empty()) || line.starts_with(L'\x1A')) return std::nullopt;
        return trevalune::fromWide(line);
    }
};

std::string utf8(const wchar_t* text) {
    return trevalune::fromWide(text);
}

/// The environment, where a Windows without LANG is taken at its display language.
std::optional<std::string> environmentValue(const std::string& name) {
    if (const wchar_t* value = _wgetenv(trevalune::toWide(name).c_str())) {
        return utf8(value);
    }
    if (name == "LANG" && PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE) {
        return "zh_CN";
    }
    return std::nullopt;
}

trevalune::send::Interruption interruption;
/// Set once runSend has returned and its account is out.
HANDLE runEnded = nullptr;

/// Runs in a thread of its own that Windows starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            interruption.request(130);
            return TRUE;
        case CTRL_CLOSE_EVENT:
            // Windows ends the process when this returns, or after about five seconds: wait
            // for the account, not longer.
            interruption.request(129);
            WaitForSingleObject(runEnded, 4000);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // A failure is status 1, as --help says: trevalune-send has no status of its own for it.
    return trevalune::guardedMain<1>("trevalune-send", [&] {
        // `file -` takes standard input byte for byte.
        _setmode(_fileno(stdin), _O_BINARY);
        runEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i) arguments.push_back(utf8(argv[i]));
        // JSON stays UTF-8 for the programs that read it; what people read follows the console.
        ConsoleBuf out(STD_OUTPUT_HANDLE, trevalune::send::asksForJson(arguments));
        ConsoleBuf err(STD_ERROR_HANDLE, false);
        /// Until the run has ended, however it ends: std::cout and std::cerr write through
        /// the buffers above, and a console that is closing waits for the account.
        struct Redirect {
            std::streambuf* oldOut;
            std::streambuf* oldErr;
            ~Redirect() {
                std::cout.flush();
                std::cerr.flush();
                std::cout.rdbuf(oldOut);
                std::cerr.rdbuf(oldErr);
                SetEvent(runEnded);
            }
        } redirect{std::cout.rdbuf(&out), std::cerr.rdbuf(&err)};
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);

        trevalune::send::InterruptibleClock clock(interruption);
        ConsoleTerminal terminal;
        trevalune::send::System system{
            [](const trevalune::send::SpoolerOptions&) -> std::unique_ptr<trevalune::Spooler> {
                return std::make_unique<trevalune::WinSpooler>();
            },
            clock,
            std::cin,
            std::cout,
            std::cerr,
            environmentValue,
            isConsole(GetStdHandle(STD_INPUT_HANDLE)) ? &terminal : nullptr};
        system.platform = trevalune::send::Platform::Windows;
        system.interruption = &interruption;
        trevalune::send::CommandScanner scanner(&interruption,
                                                trevalune::send::kMaxScanMebibytes << 20);
        system.scanner = &scanner;
        trevalune::send::LibraryRowReader reader;
        system.rowReader = &reader;
        return trevalune::send::runSend(arguments, system);
    });
}
