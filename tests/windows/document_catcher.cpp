#include "tests/windows/document_catcher.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace trevalune::testing {

namespace {

/// Waits until the socket can be read; false when the time is up.
bool readable(SOCKET socket, std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{static_cast<long>(left.count() / 1000000),
                 static_cast<long>(left.count() % 1000000)};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
}

}  // namespace

DocumentCatcher::DocumentCatcher(int port) : socket_(INVALID_SOCKET) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const BOOL reuse = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s != INVALID_SOCKET &&
        (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
         listen(s, 8) != 0)) {
        closesocket(s);
        return;
    }
    socket_ = s;
}

DocumentCatcher::~DocumentCatcher() {
    if (listening()) closesocket(static_cast<SOCKET>(socket_));
    WSACleanup();
}

bool DocumentCatcher::listening() const {
    return socket_ != INVALID_SOCKET;
}

std::optional<std::string> DocumentCatcher::next(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    if (!listening() || !readable(static_cast<SOCKET>(socket_), deadline)) return std::nullopt;
    const SOCKET connection = accept(static_cast<SOCKET>(socket_), nullptr, nullptr);
    if (connection == INVALID_SOCKET) return std::nullopt;
    std::string document;
    char buffer[4096];
    int n = -1;
    // Until the sender ends the connection, which ends the document; none if it never does.
    while (readable(connection, deadline) && (n = recv(connection, buffer, sizeof buffer, 0)) > 0) {
        document.append(buffer, static_cast<std::size_t>(n));
    }
    closesocket(connection);
    if (n != 0) return std::nullopt;
    return document;
}

}  // namespace trevalune::testing
