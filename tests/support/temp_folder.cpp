#include "tests/support/temp_folder.h"

#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace trevalune::testing {

TempFolder::TempFolder() {
    std::random_device seed;
    std::mt19937 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = base / ("trevalune-test-" + std::to_string(random()));
        // create_directory says false when it was there already: someone else's, try again.
        if (std::filesystem::create_directory(candidate)) {
            path_ = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("no temporary folder under " + base.string());
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace trevalune::testing
