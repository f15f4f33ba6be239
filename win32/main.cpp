// trevalune.exe: the tool's window on Windows, printing through winspool.

#include <windows.h>

#include <exception>
#include <string>

#include "common/title.h"
#include "common/utf16.h"
#include "form/form1.h"
#include "printer/clock.h"
#include "printer/windows/win_spooler.h"
#include "win32/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    try {
        trevalune::WinSpooler spooler;
        trevalune::SystemClock clock;
        trevalune::win32::MainWindow window(instance);
        trevalune::Form1 form(window, spooler, clock, trevalune::win32::programFolder());
        window.attach(form);
        window.show(showCommand);
        return trevalune::win32::runMessageLoop(window.window());
    } catch (const std::exception& error) {
        MessageBoxW(nullptr, trevalune::toWide(error.what()).c_str(),
                    trevalune::toWide(trevalune::kApplicationTitle).c_str(), MB_OK);
        return 1;
    } catch (...) {
        MessageBoxW(nullptr, L"unexpected error",
                    trevalune::toWide(trevalune::kApplicationTitle).c_str(), MB_OK);
        return 1;
    }
}
