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
        if (!std::filesystem::exists(file, ec))
            throw Refusal("找不到文件 " + where + "，未发送。",
                          "the file " + where + " does not exist; nothing was sent.");
        throw Refusal("不是普通文件：" + where + "，未发送。",
                      "not a regular file: " + where + "; nothing was sent.");
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw Refusal("无法读取文件 " + where + "，未发送。",
                      "the file " + where + " cannot be read; nothing was sent.");
    Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw Refusal("读取文件 " + where + " 时出错，未发送。",
                      "reading the file " + where + " failed; nothing was sent.");
    if (bytes.empty())
        throw Refusal("文件 " + where + " 是空的，未发送。",
                      "the file " + where + " is empty; nothing was sent.");
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw Refusal("文件 " + where + " 太大，未发送。",
                      "the file " + where + " is too large; nothing was sent.");
    }
    return bytes;
}

}  // namespace trevalune
