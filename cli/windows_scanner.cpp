#include "cli/command_scanner.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "cli/interruption.h"
#include "common/utf16.h"

namespace trevalune::send {

namespace {

/// How often a running scan command looks for a stop request.
constexpr DWORD kWatchMs = 50;

/// Owns a handle; closed however the scan ends.
struct Handle {
    HANDLE h = nullptr;
    ~Handle() { reset(); }
    void reset() {
        if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
        h = nullptr;
    }
};

std::string systemError(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string utf8 = length > 0 ? fromWide({text, length}) : std::string();
    LocalFree(text);
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r' || utf8.back() == ' ')) {
        utf8.pop_back();
    }
    return utf8 + " (error " + std::to_string(error) + ")";
}

/// A pipe whose read end stays ours and whose write end the command inherits.
bool makePipe(Handle& read, Handle& write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&read.h, &write.h, &inherit, 0)) return false;
    return SetHandleInformation(read.h, HANDLE_FLAG_INHERIT, 0) != 0;
}

/// Reads until the command closes its end; past `limit` bytes the rest is read and dropped.
void readAll(HANDLE pipe, std::string& into, std::size_t limit, bool& over) {
    char buffer[64 * 1024];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        if (into.size() + got > limit) over = true;
        if (!over) into.append(buffer, got);
    }
}

}  // namespace

ScanResult CommandScanner::scan(const std::string& command) {
    ScanResult result;
    Handle outRead, outWrite, errRead, errWrite;
    if (!makePipe(outRead, outWrite) || !makePipe(errRead, errWrite)) {
        result.failure = systemError(GetLastError());
        return result;
    }
    const wchar_t* shell = _wgetenv(L"ComSpec");
    // /s: cmd keeps everything between the outer quotes as typed, quotes inside included.
    std::wstring line = L"\"" + std::wstring(shell != nullptr ? shell : L"cmd.exe") +
                        L"\" /d /s /c \"" + toWide(command) + L"\"";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = outWrite.h;
    start.hStdError = errWrite.h;
    // The command and everything it starts run in a job object, so a stop ends all of them
    // (cmd.exe passes nothing on), and closing the job's last handle ends what is left.
    Handle job{CreateJobObjectW(nullptr, nullptr)};
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job.h == nullptr || !SetInformationJobObject(job.h, JobObjectExtendedLimitInformation,
                                                     &limits, sizeof limits)) {
        result.failure = systemError(GetLastError());
        return result;
    }
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job: nothing it starts may escape it.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &start, &process)) {
        result.failure = systemError(GetLastError());
        return result;
    }
    Handle processHandle{process.hProcess}, threadHandle{process.hThread};
    if (!AssignProcessToJobObject(job.h, process.hProcess)) {
        result.failure = systemError(GetLastError());
        TerminateProcess(process.hProcess, 1);
        return result;
    }
    ResumeThread(process.hThread);
    // Only the command may hold the write ends now, so reading ends when it does.
    outWrite.reset();
    errWrite.reset();
    bool errorsOver = false;
    std::atomic<int> reading{2};
    std::thread errors([&] {
        readAll(errRead.h, result.errors, maxBytes_, errorsOver);
        --reading;
    });
    std::thread output([&] {
        readAll(outRead.h, result.output, maxBytes_, result.tooLarge);
        --reading;
    });
    // A stop ends the whole job at once; its pipes then close and the readers end.
    bool ended = false;
    while (reading > 0 || WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        if (!ended && interruption_ != nullptr && interruption_->requested()) {
            TerminateJobObject(job.h, 1);
            ended = true;
        }
        Sleep(kWatchMs);
    }
    errors.join();
    output.join();
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitStatus = static_cast<int>(code);
    if (result.tooLarge) result.output.clear();
    result.interrupted = interruption_ != nullptr && interruption_->requested();
    return result;
}

}  // namespace trevalune::send
