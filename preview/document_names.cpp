#include "preview/document_names.h"

#include <cstdio>

namespace trevalune::preview {

namespace {
constexpr const char* kPrefix = "doc-";
constexpr const char* kSuffix = ".prn";
}  // namespace

std::string documentFileName(long number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%06ld%s", kPrefix, number, kSuffix);
    return name;
}

long documentNumber(const std::string& name) {
    const std::string prefix = kPrefix, suffix = kSuffix;
    if (name.size() <= prefix.size() + suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return -1;
    }
    const std::string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 12) return -1;
    long number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace trevalune::preview
