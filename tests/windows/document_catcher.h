#pragma once

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

namespace trevalune::testing {

/// A socket printer inside the test: listens on 127.0.0.1:port, where the print server's
/// socket queue delivers, and reads one document per connection.
class DocumentCatcher final {
public:
    explicit DocumentCatcher(int port);
    ~DocumentCatcher();
    DocumentCatcher(const DocumentCatcher&) = delete;
    DocumentCatcher& operator=(const DocumentCatcher&) = delete;

    bool listening() const;
    /// The next document, read to the end of its connection; none if none came in time.
    std::optional<std::string> next(std::chrono::milliseconds limit);

private:
    unsigned long long socket_;
};

/// A setting scripts/test-windows passes to the Windows tests; empty when unset.
inline std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace trevalune::testing
