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

/// The line that has cmd.exe run `command`: /s keeps everything between the outer quotes as
/// typed, quotes inside included.
std::wstring shellLine(const std::string& command) {
    const wchar_t* shell = _wgetenv(L"ComSpec");
    return L"\"" + std::wstring(shell != nullptr ? shell : L"cmd.exe") + L"\" /d /s /c \"" +
           toWide(command) + L"\"";
}

/// A job whose processes all end when its last handle closes: the command and everything it
/// starts run in it, so a stop ends all of them (cmd.exe passes nothing on). False, with the
/// system's error in GetLastError, when there is none.
bool makeJob(Handle& job) {
    job.h = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    return job.h != nullptr && SetInformationJobObject(job.h, JobObjectExtendedLimitInformation,
                                                       &limits, sizeof limits);
}

/// Starts `line` in `job`, its output and errors to the given write ends. False, with the
/// system's error in GetLastError, when it does not run.
bool startInJob(std::wstring line, HANDLE output, HANDLE errors, HANDLE job, Handle& process) {
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = output;
    start.hStdError = errors;
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job: nothing it starts may escape it.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &start, &started)) {
        return false;
    }
    process.h = started.hProcess;
    const Handle thread{started.hThread};
    if (!AssignProcessToJobObject(job, started.hProcess)) {
        const DWORD refused = GetLastError();  // the refusal is reported, not the ending
        TerminateProcess(started.hProcess, 1);
        SetLastError(refused);
        return false;
    }
    ResumeThread(started.hThread);
    return true;
}

}  // namespace

ScanResult CommandScanner::scan(const std::string& command) {
    ScanResult result;
    Handle outRead, outWrite, errRead, errWrite, job, process;
    if (!makePipe(outRead, outWrite) || !makePipe(errRead, errWrite) || !makeJob(job) ||
        !startInJob(shellLine(command), outWrite.h, errWrite.h, job.h, process)) {
        result.failure = systemError(GetLastError());
        return result;
    }
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
    while (reading > 0 || WaitForSingleObject(process.h, 0) != WAIT_OBJECT_0) {
        if (!ended && interruption_ != nullptr && interruption_->requested()) {
            TerminateJobObject(job.h, 1);
            ended = true;
        }
        Sleep(kWatchMs);
    }
    errors.join();
    output.join();
    DWORD code = 0;
    GetExitCodeProcess(process.h, &code);
    result.exitStatus = static_cast<int>(code);
    if (result.tooLarge) result.output.clear();
    result.interrupted = interruption_ != nullptr && interruption_->requested();
    return result;
}

}  // namespace trevalune::send
