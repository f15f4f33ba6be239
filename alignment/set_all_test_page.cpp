#include "alignment/set_all_test_page.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "alignment/config_block.h"
#include "alignment/set_value_command.h"
#include "alignment/value_text.h"
#include "printer/gbk.h"

namespace trevalune {

namespace {

/// The characters of a UTF-8 text, one view each.
std::vector<std::string_view> characters(std::string_view utf8) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        out.push_back(utf8.substr(i, n));
        i += n;
    }
    return out;
}

std::string joined(const std::vector<std::string_view>& chars, std::size_t from, std::size_t n) {
    std::string out;
    for (std::size_t i = from; i < from + n; ++i) out += chars[i];
    return out;
}

/// "*16*" for the current value, "-09-" for another: always four characters for 1..40.
std::string markerGroup(int v, bool current) {
    const std::string mark = current ? "*" : "-";
    return mark + (v < 10 ? "0" : "") + std::to_string(v) + mark;
}

/// The page's candidates stay within 1..40 whatever the value.
std::vector<int> pageCandidates(int centre) {
    std::vector<int> out;
    for (int v = std::max(1, centre - 4); v <= std::min(40, centre + 4); ++v) out.push_back(v);
    return out;
}

}  // namespace

Timeline buildSetAllWithTestPage(const ModeValues& values, int extraWaitMs,
                                 std::string_view hanziSample) {
    const std::vector<std::string_view> chars = characters(hanziSample);
    // The super-high-density rows are the longest: 45 characters, the marker, 43 more.
    if (chars.size() < 88) {
        throw std::invalid_argument("测试页的汉字样本只有 " + std::to_string(chars.size()) +
                                    " 个字，至少需要 88 个，没有发送任何内容。");
    }

    Bytes page;
    for (PrintMode mode : kAllModes) {
        const PrintModeTraits& l = traits(mode);
        const std::string head = joined(chars, 0, l.pageBefore);
        const std::string tail = joined(chars, l.pageBefore, l.pageAfter);
        const double current = values.of(mode).number;
        const int byte = values.of(mode).byte;

        page += buildSetValueBytes(mode, byte, Trailer::Row);
        page +=
            toGbk("----------------Velmorax--------------" + std::string(l.pageWord) + "测试页\n");
        for (int v : pageCandidates(byte)) {
            page += buildSetValueBytes(mode, v, Trailer::Row);
            page += toGbk(head + markerGroup(v, current == static_cast<double>(v)) + tail + "\n");
        }
    }
    page += buildSaveCommand();

    Timeline t;
    t.caption(std::string(kSettingCaption3)).wait(2500).caption(std::string(kSettingCaption4));
    t.text(buildShortValueDocument(values) + buildSaveCommand());
    t.append(buildSettleAfterValues(extraWaitMs, 2000, 2500, 2500));
    t.text(page);
    return t;
}

}  // namespace trevalune
