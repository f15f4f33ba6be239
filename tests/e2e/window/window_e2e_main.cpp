#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    // Every start of the window makes printers the user's default. That setting lives in
    // lpoptions, under HOME for a user and under CUPS_SERVERROOT for root, and libcups reads
    // both once per thread: point them at one folder of this run before its first call, so
    // the machine's own settings are never touched and `lpstat -d` reads what the window wrote.
    QTemporaryDir settings;
    if (!settings.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder for lpoptions\n");
        return 1;
    }
    const QByteArray folder = settings.path().toLocal8Bit();
    ::setenv("HOME", folder.constData(), 1);
    ::setenv("CUPS_SERVERROOT", folder.constData(), 1);
    ::unsetenv("LPDEST");  // either would override lpoptions
    ::unsetenv("PRINTER");

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
