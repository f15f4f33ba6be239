// align --scan-command through a private print server whose virtual printer draws every page it
// receives: the scan command hands back the picture of the page just printed, and the value
// written converges on the printer's best value with nobody at the terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>

#include "alignment/config_block.h"
#include "tests/e2e/support/print_server.h"
#include "tests/support/temp_folder.h"

namespace trevalune::e2e {
namespace {

/// Waits until the virtual printer has drawn the Nth page whole (its eject is in the listing,
/// which is written once the page's picture is), N counting this command's runs; writes it.
std::string scanCommand(const std::string& preview, const std::string& counter) {
    std::string script = R"sh(n=$(( $(cat COUNTER 2>/dev/null || echo 0) + 1 )); echo $n > COUNTER
page=$(printf 'PREVIEW/page-%06d.png' $n)
for i in $(seq 600); do
    [ "$(grep -c 'page eject' PREVIEW/listing.txt 2>/dev/null)" -ge $n ] && break; sleep 0.05
done
cat "$page")sh";
    for (const auto& [name, value] : {std::pair{"COUNTER", counter}, {"PREVIEW", preview}}) {
        for (std::size_t at; (at = script.find(name)) != std::string::npos;) {
            script.replace(at, std::string_view(name).size(), value);
        }
    }
    return script;
}

TEST(AlignScanE2eTest, TheValueConvergesOnTheBestValueWithoutAQuestion) {
    const testing::TempFolder folder;
    const std::string preview = (folder.path() / "preview").string();
    // The best high-speed value lies beyond align's first page at 16 (rows 14 to 18): the
    // reader sees no straight row, the offsets' line puts the best at 21, and the page printed
    // around 21 confirms it.
    ::setenv("VIRTUAL_PRINTER_PREVIEW", preview.c_str(), 1);
    ::setenv("VIRTUAL_PRINTER_BEST", "21,24,40", 1);
    PrivatePrintServer printServer;
    ::unsetenv("VIRTUAL_PRINTER_PREVIEW");
    ::unsetenv("VIRTUAL_PRINTER_BEST");
    const PrintServer& server = printServer.server();
    int status = -1;
    const std::string out = runCommand(
        "CUPS_SERVER=" + server.cupsServer + " " + TREVALUNE_SEND + " -d " + server.virtualQueue +
            " --json --extra-wait 0 align high-speed --scan-command " +
            shellQuoted(scanCommand(preview, (folder.path() / "scans").string())) +
            " </dev/null 2>" + (folder.path() / "err").string(),
        &status);
    const std::string said = runCommand("cat " + (folder.path() / "err").string());
    ASSERT_EQ(status, 0) << said;
    EXPECT_THAT(said, ::testing::HasSubstr("high-speed is 21; saved."));
    EXPECT_THAT(said, ::testing::Not(::testing::HasSubstr("Which row")));
    const auto json = nlohmann::json::parse(out);
    ASSERT_EQ(json["pages"].size(), 2u);
    EXPECT_EQ(json["pages"][0]["value"], "16");
    for (const auto& page : json["pages"]) EXPECT_EQ(page["answered_by"], "reader") << page;
    EXPECT_EQ(json["pages"].back()["value"], "21");
    EXPECT_EQ(json["pages"].back()["reading"]["straight"], 21);
    EXPECT_TRUE(waitUntilIdle(server.virtualQueue, std::chrono::seconds(30)));
    EXPECT_EQ(VirtualPrinter(server.printerOutput).documents().back(), buildSaveCommand());
}

}  // namespace
}  // namespace trevalune::e2e
