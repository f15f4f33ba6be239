#include "tests/e2e/support/print_server.h"

#include <cups/cups.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <thread>

#include "preview/document_names.h"

namespace trevalune::e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::chrono::milliseconds kPollInterval{20};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<JobRecord> fetchJobs(const std::string& queue, int which) {
    static const char* const states[] = {"pending",  "held",    "processing", "stopped",
                                         "canceled", "aborted", "completed"};
    cups_job_t* list = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, queue.empty() ? nullptr : queue.c_str(), 0, which);
    if (count < 0) {
        throw std::runtime_error("cannot read the jobs of '" + queue + "' from " + cupsServer() +
                                 ": " + cupsLastErrorString());
    }
    std::vector<JobRecord> records;
    for (int i = 0; i < count; ++i) {
        records.push_back({list[i].id, list[i].title ? list[i].title : "",
                           states[std::clamp<int>(list[i].state, 3, 9) - 3]});
    }
    cupsFreeJobs(count, list);
    std::sort(records.begin(), records.end(),
              [](const JobRecord& a, const JobRecord& b) { return a.id < b.id; });
    return records;
}

/// Pause and resume over IPP, not cupsdisable: that one stops the job at the printer and
/// prints it again when the queue is enabled, so its document would arrive twice.
void queueRequest(ipp_op_t operation, const std::string& queue) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.c_str());
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippDelete(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/admin/"));
    if (cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        throw std::runtime_error("the server refused to pause or resume '" + queue +
                                 "': " + cupsLastErrorString());
    }
}

/// True while the process exists and is not a zombie waiting for its parent.
bool running(int pid) {
    if (::kill(pid, 0) != 0) return false;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("State:")) return line.find('Z') == std::string::npos;
    }
    return false;
}

}  // namespace

PrintServer PrintServer::load(const std::string& stateDir) {
    const char* fromEnv = std::getenv("TREVALUNE_E2E_STATE");
    const fs::path file =
        fs::path(!stateDir.empty() ? stateDir
                                   : (fromEnv && *fromEnv ? fromEnv : TREVALUNE_E2E_STATE_DIR)) /
        "env";
    std::ifstream in(file);
    PrintServer server;
    for (std::string line; std::getline(in, line);) {
        if (const auto eq = line.find('='); eq != std::string::npos) {
            server.values[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    for (const char* key : {"CUPS_SERVER", "PRINTER_OUTPUT", "VIRTUAL_QUEUE", "FILE_QUEUE"}) {
        if (server.values[key].empty()) {
            throw std::runtime_error(file.string() + " has no " + key +
                                     " (start the server with scripts/lib/print-server.sh)");
        }
    }
    server.cupsServer = server.values["CUPS_SERVER"];
    server.printerOutput = server.values["PRINTER_OUTPUT"];
    server.virtualQueue = server.values["VIRTUAL_QUEUE"];
    server.fileQueue = server.values["FILE_QUEUE"];
    return server;
}

void PrintServer::useCupsServer() const {
    e2e::useCupsServer(cupsServer);
}

void useCupsServer(const std::string& server) {
    ::setenv("CUPS_SERVER", server.c_str(), 1);
    // libcups reads the environment once per thread; tell this thread's copy directly.
    cupsSetServer(server.c_str());
}

VirtualPrinter::VirtualPrinter(std::string outputFolder) : folder_(std::move(outputFolder)) {}

std::vector<std::string> VirtualPrinter::documentFiles() const {
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(folder_)) {
        const std::string name = entry.path().filename();
        if (preview::documentNumber(name) >= 0) paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());  // zero-padded numbers: name order is number order
    return paths;
}

std::vector<std::string> VirtualPrinter::documents() const {
    std::vector<std::string> contents;
    for (const auto& path : documentFiles()) contents.push_back(readFile(path));
    return contents;
}

void VirtualPrinter::clear() const {
    for (const auto& path : documentFiles()) fs::remove(path);
}

std::vector<std::string> VirtualPrinter::waitForDocuments(std::size_t count,
                                                          std::chrono::milliseconds limit) const {
    const auto deadline = Clock::now() + limit;
    while (documentFiles().size() < count && Clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
    }
    return documents();
}

std::vector<JobRecord> jobs(const std::string& queue) {
    return fetchJobs(queue, CUPS_WHICHJOBS_ALL);
}

int lastJobId() {
    const auto all = jobs();
    return all.empty() ? 0 : all.back().id;
}

std::vector<std::string> jobTitlesAfter(const std::string& queue, int afterId) {
    std::vector<std::string> titles;
    for (const auto& r : jobs(queue)) {
        if (r.id > afterId) titles.push_back(r.title);
    }
    return titles;
}

bool waitUntilIdle(const std::string& queue, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!fetchJobs(queue, CUPS_WHICHJOBS_ACTIVE).empty()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

void stopQueue(const std::string& queue) {
    queueRequest(IPP_OP_PAUSE_PRINTER, queue);
}

void startQueue(const std::string& queue) {
    queueRequest(IPP_OP_RESUME_PRINTER, queue);
}

PrivatePrintServer::PrivatePrintServer(const std::string& maxRequestSize,
                                       const std::string& login) {
    std::string dir = (fs::temp_directory_path() / "trevalune-private.XXXXXX").string();
    if (!::mkdtemp(dir.data())) throw std::runtime_error("cannot create " + dir);
    stateDir_ = dir;
    int code = 0;
    const std::string out = runCommand(
        "TREVALUNE_CUPS_MAX_REQUEST_SIZE=" + shellQuoted(maxRequestSize) +
            " TREVALUNE_CUPS_LOGIN=" + shellQuoted(login) +
            " VIRTUAL_PRINTER=" + shellQuoted(TREVALUNE_VIRTUAL_PRINTER) + " " +
            shellQuoted(TREVALUNE_PRINT_SERVER_SCRIPT) + " start " + shellQuoted(dir) + " 2>&1",
        &code);
    if (code != 0) {
        fs::remove_all(dir);
        throw std::runtime_error("the private print server did not start: " + out);
    }
    server_ = PrintServer::load(dir);
    server_.useCupsServer();
}

PrivatePrintServer::~PrivatePrintServer() {
    if (frozen_) thawCupsd();
    runCommand(shellQuoted(TREVALUNE_PRINT_SERVER_SCRIPT) + " stop " + shellQuoted(stateDir_) +
               " 2>&1");
    if (restartedPrinter_ > 0) ::kill(restartedPrinter_, SIGKILL);
    std::error_code ignored;
    fs::remove_all(stateDir_, ignored);
}

int PrivatePrintServer::pid(const std::string& key) const {
    const auto it = server_.values.find(key);
    const int value = it == server_.values.end() ? 0 : std::atoi(it->second.c_str());
    if (value <= 0) throw std::runtime_error("the private print server has no " + key);
    return value;
}

void PrivatePrintServer::stopCupsd() {
    endProcess(pid("CUPSD_PID"));
}

void PrivatePrintServer::killCupsd() {
    ::kill(pid("CUPSD_PID"), SIGKILL);
    endProcess(pid("CUPSD_PID"));
}

void PrivatePrintServer::freezeCupsd() {
    ::kill(pid("CUPSD_PID"), SIGSTOP);
    frozen_ = true;
}

void PrivatePrintServer::thawCupsd() {
    ::kill(pid("CUPSD_PID"), SIGCONT);
    frozen_ = false;
}

void PrivatePrintServer::stopVirtualPrinter() {
    endProcess(restartedPrinter_ > 0 ? restartedPrinter_ : pid("VIRTUAL_PRINTER_PID"));
    restartedPrinter_ = -1;
}

void PrivatePrintServer::restartVirtualPrinter() {
    std::string said;
    restartedPrinter_ = spawnVirtualPrinter(
        {"--port", server_.values.at("VIRTUAL_PRINTER_PORT"), "--out", server_.printerOutput},
        said);
}

int spawnVirtualPrinter(const std::vector<std::string>& arguments, std::string& said) {
    // In the background, its first line into a file: the shell's pipe would keep runCommand
    // waiting for the end of the printer.
    const fs::path first =
        fs::temp_directory_path() / ("trevalune-vp-" + std::to_string(::getpid()));
    std::string command = shellQuoted(TREVALUNE_VIRTUAL_PRINTER);
    for (const std::string& a : arguments) command += " " + shellQuoted(a);
    const int pid = std::atoi(
        runCommand(command + " >" + shellQuoted(first) + " 2>/dev/null & echo $!").c_str());
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    said.clear();
    while (said.find('\n') == std::string::npos && running(pid) && Clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
        std::ifstream in(first);
        said.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    fs::remove(first);
    said = said.substr(0, said.find('\n'));
    if (!said.starts_with("listening on ")) {
        if (running(pid)) endProcess(pid);
        throw std::runtime_error("the virtual printer did not listen");
    }
    return pid;
}

void endProcess(int pid) {
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    for (;;) {
        ::waitpid(pid, nullptr, WNOHANG);  // reaps it when it is our own child
        if (!running(pid)) return;
        if (Clock::now() > deadline) {
            throw std::runtime_error("process " + std::to_string(pid) + " did not stop");
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string runCommand(const std::string& command, int* exitCode) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) {
        out.append(buffer, n);
    }
    const int status = ::pclose(pipe.release());
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

}  // namespace trevalune::e2e
