// align's scan command under Windows' own shell: what it writes and its exit status, a
// runaway's output dropped at the limit, a stop that ends it at once, a shell not found.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "cli/command_scanner.h"
#include "cli/interruption.h"

namespace trevalune::send {
namespace {

/// cmd.exe ends its lines with CR LF.
std::string lines(std::string text) {
    std::erase(text, '\r');
    return text;
}

TEST(WindowsScan, TheShellRunsTheCommandAsTypedAndAStopEndsItAtOnce) {
    Interruption none;
    CommandScanner scanner(&none, 1 << 20);
    const ScanResult plain = scanner.scan("echo out& echo err 1>&2& exit /b 7");
    EXPECT_EQ(lines(plain.output), "out\n");
    EXPECT_EQ(lines(plain.errors), "err \n");
    EXPECT_EQ(plain.exitStatus, 7);
    EXPECT_EQ(plain.failure, "");
    EXPECT_EQ(lines(scanner.scan("echo \"a b\" & echo x").output), "\"a b\" \nx\n");

    // Ten bytes are taken whole; the eleventh drops the output, and the errors are kept.
    CommandScanner small(&none, 10);
    EXPECT_EQ(small.scan("echo 01234567").output, "01234567\r\n");
    const ScanResult large = small.scan("echo 012345678& echo e 1>&2");
    EXPECT_TRUE(large.tooLarge);
    EXPECT_EQ(large.output, "");
    EXPECT_EQ(lines(large.errors), "e \n");

    Interruption stop;
    CommandScanner stoppable(&stop, 1 << 20);
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        stop.request(130);
    });
    const auto start = std::chrono::steady_clock::now();
    const ScanResult stopped =
        stoppable.scan("echo started& ping -n 30 127.0.0.1 >nul & echo never");
    later.join();
    EXPECT_TRUE(stopped.interrupted);
    EXPECT_EQ(lines(stopped.output), "started\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    _wputenv(L"ComSpec=C:\\nowhere\\cmd.exe");
    EXPECT_NE(scanner.scan("echo x").failure.find("(error 2)"), std::string::npos);
}

}  // namespace
}  // namespace trevalune::send
