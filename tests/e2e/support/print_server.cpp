#include "tests/e2e/support/print_server.h"

#include <cups/cups.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
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
#include <utility>

#include "tools/virtual-printer/document_store.h"

extern char** environ;  // for posix_spawn

namespace trevalune::e2e {

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::milliseconds kPollInterval{20};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string stateName(ipp_jstate_t state) {
    static const char* const names[] = {"pending",  "held",    "processing", "stopped",
                                        "canceled", "aborted", "completed"};
    return state >= IPP_JSTATE_PENDING && state <= IPP_JSTATE_COMPLETED
               ? names[state - IPP_JSTATE_PENDING]
               : "unknown";
}

std::vector<JobRecord> fetchJobs(const std::string& queue, int which) {
    cups_job_t* list = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, queue.empty() ? nullptr : queue.c_str(),
                     /*myjobs=*/0, which);
    if (count < 0) {
        throw std::runtime_error("cannot read the jobs of '" + queue + "' from " + cupsServer() +
                                 ": " + cupsLastErrorString());
    }
    std::vector<JobRecord> records;
    for (int i = 0; i < count; ++i) {
        records.push_back(
            {list[i].id, list[i].title ? list[i].title : "", stateName(list[i].state)});
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
        throw std::runtime_error("the server refused to " +
                                 std::string(operation == IPP_OP_PAUSE_PRINTER ? "stop" : "start") +
                                 " '" + queue + "': " + cupsLastErrorString());
    }
}

/// Shell-quotes a path for runCommand.
std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

/// True while the process exists and is not a zombie waiting for its parent.
bool running(int pid) {
    if (::kill(pid, 0) != 0) return false;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("State:", 0) == 0) return line.find('Z') == std::string::npos;
    }
    return false;
}

std::string defaultStateDir() {
    if (const char* dir = std::getenv("TREVALUNE_E2E_STATE"); dir && *dir) return dir;
    return TREVALUNE_E2E_STATE_DIR;
}

}  // namespace

PrintServer PrintServer::load(const std::string& stateDir) {
    const fs::path file = fs::path(stateDir.empty() ? defaultStateDir() : stateDir) / "env";
    std::ifstream in(file);
    if (!in) {
        throw std::runtime_error("no print server state in " + file.string() +
                                 " (start it with scripts/lib/print-server.sh start DIR)");
    }
    PrintServer server;
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos || line[0] == '#') continue;
        server.values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    auto take = [&](const char* key, std::string& into) {
        const auto it = server.values.find(key);
        if (it != server.values.end() && !it->second.empty()) {
            into = it->second;
        } else if (into.empty()) {
            throw std::runtime_error(file.string() + " has no " + key);
        }
    };
    take("CUPS_SERVER", server.cupsServer);
    take("PRINTER_OUTPUT", server.printerOutput);
    take("VIRTUAL_QUEUE", server.virtualQueue);
    take("FILE_QUEUE", server.fileQueue);
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
    std::vector<std::pair<long, std::string>> numbered;
    for (const auto& entry : fs::directory_iterator(folder_)) {
        const long number = vprinter::DocumentStore::numberOf(entry.path().filename().string());
        if (number >= 0) numbered.emplace_back(number, entry.path().string());
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> paths;
    for (auto& [number, path] : numbered) paths.push_back(std::move(path));
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
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (documentFiles().size() < count && std::chrono::steady_clock::now() < deadline) {
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
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (fetchJobs(queue, CUPS_WHICHJOBS_ACTIVE).empty()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

void stopQueue(const std::string& queue) {
    queueRequest(IPP_OP_PAUSE_PRINTER, queue);
}

void startQueue(const std::string& queue) {
    queueRequest(IPP_OP_RESUME_PRINTER, queue);
}

PrivatePrintServer::PrivatePrintServer(const std::string& maxRequestSize) {
    std::string dir = (fs::temp_directory_path() / "trevalune-private.XXXXXX").string();
    if (!::mkdtemp(dir.data())) throw std::runtime_error("cannot create " + dir);
    stateDir_ = dir;
    int code = 0;
    const std::string limit =
        maxRequestSize.empty() ? "" : "TREVALUNE_CUPS_MAX_REQUEST_SIZE=" + maxRequestSize + " ";
    const std::string out = runCommand(
        limit + "VIRTUAL_PRINTER=" + shellQuoted(TREVALUNE_VIRTUAL_PRINTER) + " " +
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
    if (restartedPrinter_ > 0) {
        try {
            endProcess(restartedPrinter_);
        } catch (const std::exception&) {
            ::kill(restartedPrinter_, SIGKILL);
            ::waitpid(restartedPrinter_, nullptr, 0);
        }
    }
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
    const int cupsd = pid("CUPSD_PID");
    ::kill(cupsd, SIGKILL);
    endProcess(cupsd);
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
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = TREVALUNE_VIRTUAL_PRINTER;
    std::vector<std::string> args = arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    const int rc = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        throw std::runtime_error("cannot start " + program);
    }
    // One line once it accepts connections; the end of the pipe when it gave up.
    said.clear();
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') said += c;
    ::close(out[0]);
    if (said.rfind("listening on ", 0) != 0) {
        ::kill(child, SIGTERM);
        ::waitpid(child, nullptr, 0);
        throw std::runtime_error("the virtual printer did not listen");
    }
    return child;
}

void endProcess(int pid) {
    ::kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        ::waitpid(pid, nullptr, WNOHANG);  // reaps it when it is our own child
        if (!running(pid)) return;
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("process " + std::to_string(pid) + " did not stop");
        }
        std::this_thread::sleep_for(kPollInterval);
    }
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
