#include <windows.h>

#include <string>

#include "printer/program_folder.h"

namespace trevalune {

std::string programFolder() {
    // Wide first: in the ANSI code page a double-byte character may end in the byte of '\',
    // so the folder is cut off before converting. The path may also exceed MAX_PATH.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0) return {};
    path.resize(slash);

    const int size = WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string folder(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), folder.data(), size,
                        nullptr, nullptr);
    return folder;
}

std::string driverFilePath() {
    const std::string folder = programFolder();
    return folder.empty() ? folder : folder + "\\file.prn";
}

}  // namespace trevalune
