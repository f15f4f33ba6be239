#pragma once

#include <filesystem>

namespace trevalune::testing {

/// An empty folder of the test's own under the system's temporary folder, removed with
/// everything in it at the end. Works the same on Linux and under Wine.
class TempFolder final {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace trevalune::testing
