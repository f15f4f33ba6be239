#include "operations/driver_file.h"

#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

namespace trevalune {

std::filesystem::path driverFilePath(const std::filesystem::path& folder) {
    return folder / kDriverFileName;
}

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

Bytes readDriverFile(const std::filesystem::path& file) {
    const std::string where = pathText(file);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        if (!std::filesystem::exists(file, ec)) throw Refusal(RefusalCode::FileMissing, {where});
        throw Refusal(RefusalCode::NotARegularFile, {where});
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Refusal(RefusalCode::FileUnreadable, {where});
    Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw Refusal(RefusalCode::FileReadFailed, {where});
    if (bytes.empty()) throw Refusal(RefusalCode::FileEmpty, {where});
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw Refusal(RefusalCode::FileTooLarge, {where});
    return bytes;
}

}  // namespace trevalune
