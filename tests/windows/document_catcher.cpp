#include "tests/windows/document_catcher.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace trevalune::testing {

namespace {

/// Waits until the socket can be read; false when the time is up.
bool readable(SOCKET socket, std::chrono::milliseconds limit) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{static_cast<long>(limit.count() / 1000),
                 static_cast<long>((limit.count() % 1000) * 1000)};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
}

}  // namespace

DocumentCatcher::DocumentCatcher(int port) : socket_(INVALID_SOCKET) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return;
    BOOL reuse = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(s, 8) != 0) {
        closesocket(s);
        return;
    }
    socket_ = s;
}

DocumentCatcher::~DocumentCatcher() {
    if (socket_ != INVALID_SOCKET) closesocket(static_cast<SOCKET>(socket_));
    WSACleanup();
}

bool DocumentCatcher::listening() const {
    return socket_ != INVALID_SOCKET;
}

std::optional<std::string> DocumentCatcher::next(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto left = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
    };
    const SOCKET listener = static_cast<SOCKET>(socket_);
    if (!listening() || !readable(listener, left())) return std::nullopt;
    const SOCKET connection = accept(listener, nullptr, nullptr);
    if (connection == INVALID_SOCKET) return std::nullopt;

    std::string document;
    char buffer[4096];
    for (;;) {
        if (left().count() <= 0 || !readable(connection, left())) {
            closesocket(connection);
            return std::nullopt;  // the sender never finished
        }
        const int n = recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) break;  // the end of the document
        document.append(buffer, static_cast<std::size_t>(n));
    }
    closesocket(connection);
    return document;
}

}  // namespace trevalune::testing
