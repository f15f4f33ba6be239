// trevalune-send.exe on winspool: every window operation from the command line; see
// send_command.h. A console program: arguments arrive as UTF-16 and are passed on as UTF-8;
// output is UTF-8 (the console is switched to it).

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "operations/utf16.h"
#include "printer/clock.h"
#include "printer/guarded_main.h"
#include "printer/windows/win_spooler.h"
#include "tools/trevalune-send/send_command.h"

namespace {

class ConsoleTerminal final : public trevalune::send::Terminal {
public:
    std::optional<std::string> ask(const std::string& prompt) override {
        std::cerr << prompt << std::flush;
        std::string line;
        if (!std::getline(std::cin, line)) return std::nullopt;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
};

std::string utf8(const wchar_t* text) {
    const std::wstring w(text);
    return trevalune::toUtf8(std::u16string(w.begin(), w.end()));
}

/// The environment, where a Windows without LANG is taken at its display language.
std::optional<std::string> environmentValue(const std::string& name) {
    const std::u16string wide = trevalune::toUtf16(name);
    if (const wchar_t* value = _wgetenv(reinterpret_cast<const wchar_t*>(wide.c_str()))) {
        return utf8(value);
    }
    if (name == "LANG" && PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE) {
        return "zh_CN";
    }
    return std::nullopt;
}

/// A console on standard input: _isatty also says yes for NUL and other character devices.
bool inputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    return trevalune::guardedMain("trevalune-send", [&] {
        SetConsoleOutputCP(CP_UTF8);
        // `file -` takes standard input byte for byte; job ids and hex go out as written.
        _setmode(_fileno(stdin), _O_BINARY);
        _setmode(_fileno(stdout), _O_BINARY);
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i) arguments.push_back(utf8(argv[i]));
        trevalune::SystemClock clock;
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
            inputIsConsole() ? &terminal : nullptr};
        system.platform = trevalune::send::Platform::Windows;
        return trevalune::send::runSend(arguments, system);
    });
}
