// The end-to-end window tests build the real Form1, whose start-up makes a printer the user's
// default. That is written to lpoptions under $HOME (as a user) or $CUPS_SERVERROOT (as root),
// so both point into a temporary folder before libcups first reads them: the machine's own
// printing settings are neither read nor changed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "trevalune-e2e-window.XXXXXX");
    if (!::mkdtemp(folder.data())) return 2;
    ::setenv("HOME", folder.c_str(), 1);
    ::setenv("CUPS_SERVERROOT", folder.c_str(), 1);
    ::unsetenv("LPDEST");  // these would override lpoptions
    ::unsetenv("PRINTER");

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(folder);
    return result;
}
