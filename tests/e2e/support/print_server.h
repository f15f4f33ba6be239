#pragma once

// Support for end-to-end tests against the private print server that
// scripts/lib/print-server.sh starts (a CUPS server with the queues "RZ7-virtual", a socket
// queue to the virtual printer, and "Office1", a file queue to /dev/null). PrintServerTest in
// tests/e2e/e2e_fixture.h shows the typical use: load the server, useCupsServer(), clear the
// virtual printer, note lastJobId(), send, then waitForDocuments / waitUntilIdle and compare
// the documents and jobTitlesAfter().
//
// Everything here throws std::runtime_error when the server or its state cannot be reached,
// so a broken harness fails the test with a clear reason instead of a wrong comparison.
// No CUPS types appear here: window tests can include it next to Qt.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace trevalune::e2e {

/// How long waits for the virtual printer or the queues last unless told otherwise.
inline constexpr std::chrono::milliseconds kDefaultWait{5000};

/// The running print server, as the start script described it.
struct PrintServer {
    std::string cupsServer;     ///< "127.0.0.1:PORT", the value for CUPS_SERVER
    std::string printerOutput;  ///< folder where the virtual printer writes doc-NNNNNN.prn
    std::string virtualQueue = "RZ7-virtual";
    std::string fileQueue = "Office1";
    std::map<std::string, std::string> values;  ///< every KEY=VALUE of the state file

    /// Reads STATE_DIR/env (stateDir empty: $TREVALUNE_E2E_STATE, else the build's
    /// e2e-state folder).
    static PrintServer load(const std::string& stateDir = {});

    /// Sets CUPS_SERVER for the process and makes the calling thread's libcups use it.
    void useCupsServer() const;
};

/// Points CUPS_SERVER (process environment and this thread's libcups) at `server`.
/// libcups keeps its settings per thread: threads that already used it keep theirs.
void useCupsServer(const std::string& server);

/// The virtual printer's output folder. Documents are listed in their number order, which
/// is the order their connections ended; files appear whole (written, then renamed).
class VirtualPrinter final {
public:
    explicit VirtualPrinter(std::string outputFolder);

    /// Paths of the recorded documents, lowest number first.
    std::vector<std::string> documentFiles() const;
    /// Contents of the recorded documents, lowest number first.
    std::vector<std::string> documents() const;
    /// Removes every recorded document (the printer keeps numbering upwards).
    void clear() const;
    /// Polls until at least `count` documents are there or `limit` has passed; returns what
    /// is there then (compare its size: fewer means they did not arrive in time).
    std::vector<std::string> waitForDocuments(std::size_t count,
                                              std::chrono::milliseconds limit = kDefaultWait) const;

private:
    std::string folder_;
};

/// One job as the server remembers it (completed jobs are kept: PreserveJobHistory).
struct JobRecord {
    int id = 0;
    std::string title;  ///< job-name, "AAAAAA" for everything the tool sends
    std::string
        state;  ///< "pending", "held", "processing", "stopped", "canceled", "aborted", "completed"
};

/// Every job of `queue` (empty: of all queues), in job id order, finished ones included.
std::vector<JobRecord> jobs(const std::string& queue = {});
/// The highest job id on the server so far, 0 when there is none (for jobTitlesAfter).
int lastJobId();
/// The titles of the jobs of `queue` (empty: all queues) with an id above `afterId`, in id order.
std::vector<std::string> jobTitlesAfter(const std::string& queue, int afterId);

/// Polls until `queue` has no pending or processing job, or `limit` has passed.
/// Returns whether it drained.
bool waitUntilIdle(const std::string& queue, std::chrono::milliseconds limit = kDefaultWait);

/// Stops a queue so that its jobs stay pending (as cupsdisable does), and lets it go again
/// (as cupsenable does). Throws when the server refuses.
void stopQueue(const std::string& queue);
void startQueue(const std::string& queue);

/// A print server of one test's own, for faults that would break the shared one: a stopped
/// or frozen server, a deleted queue, a printer that does not listen. print-server.sh starts
/// it in a temporary folder; the destructor stops whatever is left of it and removes the folder.
class PrivatePrintServer final {
public:
    /// Starts it and points this thread's libcups at it. Throws when it does not come up.
    /// With `maxRequestSize` ("1m"), cupsd refuses larger documents part-way.
    explicit PrivatePrintServer(const std::string& maxRequestSize = {});
    ~PrivatePrintServer();
    PrivatePrintServer(const PrivatePrintServer&) = delete;
    PrivatePrintServer& operator=(const PrivatePrintServer&) = delete;

    const PrintServer& server() const { return server_; }

    /// Ends cupsd (SIGTERM) and returns once it has gone: its port refuses connections.
    void stopCupsd();
    /// Ends cupsd at once (SIGKILL), as a crash would: a request under way breaks off.
    void killCupsd();
    /// Freezes cupsd (SIGSTOP): connections are still accepted, nothing is answered.
    void freezeCupsd();
    void thawCupsd();
    /// Ends the virtual printer and returns once it has gone.
    void stopVirtualPrinter();
    /// Starts the virtual printer again on its old port and folder.
    void restartVirtualPrinter();

private:
    int pid(const std::string& key) const;

    std::string stateDir_;
    PrintServer server_;
    bool frozen_ = false;
    int restartedPrinter_ = -1;
};

/// Starts the virtual printer with these arguments and returns its pid once it has said where
/// it listens (`said` gets that line, "listening on ADDR:PORT"). Throws when it does not
/// listen. The caller ends it with endProcess.
int spawnVirtualPrinter(const std::vector<std::string>& arguments, std::string& said);

/// Sends SIGTERM and waits (10 s at most) until the process has gone; throws when it stays.
void endProcess(int pid);

/// Runs a command (through /bin/sh) and returns its standard output; `exitCode` receives
/// the exit status. For checking what the command-line tools (lpstat) see.
std::string runCommand(const std::string& command, int* exitCode = nullptr);

}  // namespace trevalune::e2e
