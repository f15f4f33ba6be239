#include <filesystem>
#include <system_error>

#include "printer/program_folder.h"

namespace trevalune {

std::string programFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return exe.parent_path().string();
}

std::string driverFilePath() {
    const std::string folder = programFolder();
    return folder.empty() ? folder : folder + "/file.prn";
}

}  // namespace trevalune
