// The window makes its printer the user's default at start-up; lpoptions goes to $HOME (a
// user) or $CUPS_SERVERROOT (root), so both point into a temporary folder first.
#include <QApplication>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "trevalune-e2e-qt.XXXXXX");
    if (!::mkdtemp(folder.data())) return 2;
    ::setenv("HOME", folder.c_str(), 1);
    ::setenv("CUPS_SERVERROOT", folder.c_str(), 1);
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::filesystem::remove_all(folder);
    return result;
}
