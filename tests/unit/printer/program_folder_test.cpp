#include "printer/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace trevalune {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr const char* kThisProgram = "unit_printer.exe";
constexpr const char* kDriverFileTail = "\\file.prn";
#else
constexpr const char* kThisProgram = "unit_printer";
constexpr const char* kDriverFileTail = "/file.prn";
#endif

TEST(ProgramFolder, IsTheExecutablesFolderWhateverTheWorkingFolderAndHoldsFilePrn) {
    const fs::path before = fs::current_path();
    const fs::path elsewhere = fs::temp_directory_path();
    fs::current_path(elsewhere);
    const std::string folder = programFolder();
    fs::current_path(before);

    EXPECT_TRUE(fs::path(folder).is_absolute()) << folder;
    EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / kThisProgram)) << folder;
    EXPECT_FALSE(fs::equivalent(folder, elsewhere)) << folder;
    EXPECT_EQ(driverFilePath(), folder + kDriverFileTail);
}

}  // namespace
}  // namespace trevalune
