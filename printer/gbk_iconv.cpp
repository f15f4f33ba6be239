#include <iconv.h>

#include <cerrno>
#include <memory>

#include "printer/gbk.h"

namespace trevalune {

namespace {

/// CP936 is what Windows means by GBK (it also maps 0x80 to the euro sign);
/// fall back to plain GBK where iconv does not know the code page name.
iconv_t openConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        const bool toGbkSide = std::string_view(from) == "UTF-8";
        cd = toGbkSide ? iconv_open("GBK", from) : iconv_open(to, "GBK");
    }
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw Refusal(RefusalCode::NoGbkConverter);
    }
    return cd;
}

std::string convert(std::string_view in, const char* to, const char* from, const char* what) {
    struct Closer {
        void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
    };
    std::unique_ptr<void, Closer> cd(openConverter(to, from));
    std::string out(in.size() * 2 + 4, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(static_cast<iconv_t>(cd.get()), &inPtr, &inLeft, &outPtr, &outLeft) ==
            static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                const std::size_t used = static_cast<std::size_t>(outPtr - out.data());
                out.resize(out.size() * 2);
                outPtr = out.data() + used;
                outLeft = out.size() - used;
                continue;
            }
            const std::size_t at = in.size() - inLeft;
            throw Refusal(RefusalCode::TextNotConvertibleAt, {std::to_string(at), what});
        }
    }
    out.resize(static_cast<std::size_t>(outPtr - out.data()));
    return out;
}

}  // namespace

Bytes toGbk(std::string_view utf8) {
    return convert(utf8, "CP936", "UTF-8", "to GBK");
}

std::string fromGbk(std::string_view gbk) {
    return convert(gbk, "UTF-8", "CP936", "from GBK");
}

}  // namespace trevalune
