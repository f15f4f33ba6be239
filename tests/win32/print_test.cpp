// The program's path to the printer on Windows: clicks in the Win32 window, Form1, WinSpooler,
// Wine's winspool, the private CUPS server of scripts/test-windows, and its socket queue,
// whose printer is the DocumentCatcher here. Skips without that server.
//
// TREVALUNE_LINUX_REFERENCE names a folder of doc-NNNNNN.prn files that the Linux program
// sent to the virtual printer for the same clicks (tools/virtual-printer writes them):
// a freshly started window, then 换页 (Command12), Korvel (Command18, Combo2 at its initial
// 31), and "1b 4A 10" typed into the command box (Text2) and sent (Command6, 选择 unticked).

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "printer/windows/win_spooler.h"
#include "tests/support/fake_clock.h"
#include "tests/win32/window_fixture.h"
#include "tests/windows/document_catcher.h"

namespace trevalune {
namespace {

using namespace std::chrono_literals;

/// Makes the reference run's clicks and compares what the printer received, in order.
void clickAndExpect(const std::vector<std::string>& expected) {
    const int port = std::atoi(testing::env("TREVALUNE_WINE_PRINTER_PORT").c_str());
    if (testing::env("TREVALUNE_WINE_PRINTER").empty() || port <= 0) {
        GTEST_SKIP() << "needs the private print server that scripts/test-windows starts";
    }
    testing::DocumentCatcher catcher(port);
    ASSERT_TRUE(catcher.listening());
    WinSpooler spooler;
    testing::FakeClock clock;
    testing::Win32Window window(spooler, clock);
    EXPECT_EQ(window.form.printerName(), testing::env("TREVALUNE_WINE_PRINTER"))
        << "Form_Load's pick";
    window.click(Control::Command12);
    window.click(Control::Command18);
    window.type(Control::Text2, L"1b 4A 10");
    window.click(Control::Command6);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto got = catcher.next(20s);
        ASSERT_TRUE(got) << "document " << i << " did not arrive";
        EXPECT_EQ(*got, expected[i]) << "document " << i;
    }
    // Take in whatever else comes, so no document is left for the next test's printer.
    int extra = 0;
    while (extra < 1000 && catcher.next(1s)) ++extra;
    EXPECT_EQ(extra, 0) << "documents beyond the expected ones";
}

TEST(Win32PrintTest, SendsWhatTheLinuxProgramSendsForTheSameClicks) {
    std::string reference = testing::env("TREVALUNE_LINUX_REFERENCE");
    if (reference.empty()) GTEST_SKIP() << "TREVALUNE_LINUX_REFERENCE is not set";
    if (reference[0] == '/') reference = "Z:" + reference;  // Wine's drive Z: is the host's /
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(reference)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("doc-") && name.ends_with(".prn")) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no doc-NNNNNN.prn in " << reference;
    std::vector<std::string> expected;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        expected.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    clickAndExpect(expected);
}

}  // namespace
}  // namespace trevalune
