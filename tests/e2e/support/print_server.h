#pragma once

// The private print server of scripts/lib/print-server.sh (tests/e2e/README.md). Everything
// throws std::runtime_error when the server cannot be reached, so a broken harness fails with
// its reason, not as a wrong comparison. No CUPS types, so Qt tests can include it.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace trevalune::e2e {

inline constexpr std::chrono::milliseconds kDefaultWait{5000};

/// The running print server, as the start script wrote it in STATE_DIR/env.
struct PrintServer {
    std::string cupsServer;     ///< "127.0.0.1:PORT"
    std::string printerOutput;  ///< where the virtual printer writes doc-NNNNNN.prn
    std::string virtualQueue;
    std::string fileQueue;
    std::map<std::string, std::string> values;  ///< every KEY=VALUE of the state file

    /// stateDir empty: $TREVALUNE_E2E_STATE, else the build's e2e-state folder.
    static PrintServer load(const std::string& stateDir = {});
    void useCupsServer() const;
};

/// libcups keeps its server per thread, read at first use: this sets the calling thread's.
void useCupsServer(const std::string& server);

/// The virtual printer's documents in the order their connections ended.
class VirtualPrinter final {
public:
    explicit VirtualPrinter(std::string outputFolder);
    std::vector<std::string> documentFiles() const;
    std::vector<std::string> documents() const;
    void clear() const;
    /// Returns what is there once `count` have arrived or `limit` has passed.
    std::vector<std::string> waitForDocuments(std::size_t count,
                                              std::chrono::milliseconds limit = kDefaultWait) const;

private:
    std::string folder_;
};

struct JobRecord {
    int id = 0;
    std::string title;
    std::string state;  ///< "pending", ..., "canceled", "completed"
};

/// The jobs of `queue` (empty: all queues) in id order, finished ones included.
std::vector<JobRecord> jobs(const std::string& queue = {});
int lastJobId();
std::vector<std::string> jobTitlesAfter(const std::string& queue, int afterId);
/// Whether `queue` had no pending or processing job within `limit`.
bool waitUntilIdle(const std::string& queue, std::chrono::milliseconds limit = kDefaultWait);
void stopQueue(const std::string& queue);  ///< its jobs stay pending
void startQueue(const std::string& queue);

/// A print server of one test's own, for faults that would break the shared one; the
/// destructor stops what is left of it.
class PrivatePrintServer final {
public:
    /// `login` ("USER:PASSWORD"): the server asks for it before it creates a job.
    explicit PrivatePrintServer(const std::string& maxRequestSize = {},
                                const std::string& login = {});  ///< "1m"
    ~PrivatePrintServer();
    PrivatePrintServer(const PrivatePrintServer&) = delete;
    PrivatePrintServer& operator=(const PrivatePrintServer&) = delete;

    const PrintServer& server() const { return server_; }
    void stopCupsd();    ///< SIGTERM; its port refuses connections afterwards
    void killCupsd();    ///< SIGKILL, as a crash: a request under way breaks off
    void freezeCupsd();  ///< SIGSTOP: connections accepted, nothing answered
    void thawCupsd();
    void stopVirtualPrinter();
    void restartVirtualPrinter();  ///< on its old port and folder

private:
    int pid(const std::string& key) const;

    std::string stateDir_;
    PrintServer server_;
    bool frozen_ = false;
    int restartedPrinter_ = -1;
};

/// The pid, once it has said "listening on ADDR:PORT" (in `said`); end it with endProcess.
int spawnVirtualPrinter(const std::vector<std::string>& arguments, std::string& said);
/// SIGTERM, then waits up to 10 s until the process has gone.
void endProcess(int pid);
std::string runCommand(const std::string& command, int* exitCode = nullptr);
/// `text` as one word of the shell, in single quotes.
std::string shellQuoted(const std::string& text);

}  // namespace trevalune::e2e
