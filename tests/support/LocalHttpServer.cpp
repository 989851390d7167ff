#include "support/LocalHttpServer.h"

#include <algorithm>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#define MSG_NOSIGNAL 0 // Windows raises no signal for a client that hung up
#else
#include <arpa/inet.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using SOCKET = int;
#define closesocket close
#endif

namespace stowly::test {
namespace {

// Whether the socket can be read (or written) within 50 ms.
bool Ready(SOCKET s, bool write = false) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{0, 50000};
    return select(static_cast<int>(s) + 1, write ? nullptr : &set, write ? &set : nullptr, nullptr, &tv) > 0;
}

// Answers the request on `s`; a silent or trickling reply holds the connection until the client
// hangs up. Every wait is short, so that the server stops soon whatever the client does.
void Serve(SOCKET s, const std::map<std::string, Route>& routes, const std::atomic<bool>& stopping) {
    const auto sent = [&](const std::string& bytes) { // in pieces, each once there is room; false once the client hung up
        for (size_t done = 0; done < bytes.size();) {
            if (stopping) return false;
            if (!Ready(s, true)) continue;
            const int n = send(s, bytes.data() + done, static_cast<int>(std::min<size_t>(bytes.size() - done, 4096)), MSG_NOSIGNAL);
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    };
    std::string request;
    char buffer[4096];
    for (int n = 1; n > 0 && request.find("\r\n\r\n") == std::string::npos && !stopping;)
        if (Ready(s) && (n = recv(s, buffer, sizeof buffer, 0)) > 0) request.append(buffer, static_cast<size_t>(n));
    const size_t start = request.find(' ') + 1; // "GET /path HTTP/1.1"
    const auto it = routes.find(request.substr(start, request.find(' ', start) - start));
    const Route route = it == routes.end() ? Route{404, "Not Found"} : it->second;
    // A trickle promises a long body and sends it a byte at a time.
    const std::string head = "HTTP/1.1 " + std::to_string(route.status) + " Test\r\nContent-Length: " +
                             (route.reply == Reply::Trickle ? "1000000" : std::to_string(route.body.size())) +
                             "\r\nConnection: close\r\n" + route.headers + "\r\n";
    if (route.reply != Reply::Silent && !sent(head + (route.reply == Reply::Answer ? route.body : ""))) return;
    while (route.reply != Reply::Answer && !stopping &&
           (route.reply == Reply::Trickle ? sent("x") : !Ready(s) || recv(s, buffer, sizeof buffer, 0) > 0))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

} // namespace

// One connection at a time, on a port the system picks.
LocalHttpServer::LocalHttpServer(std::map<std::string, Route> routes) {
#ifdef _WIN32
    [[maybe_unused]] static const int winsock = [] { WSADATA data; return WSAStartup(MAKEWORD(2, 2), &data); }();
#endif
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(addr.sin_port);
    server_ = std::thread([this, listener, routes = std::move(routes)] {
        for (SOCKET c; !stopping_;)
            if (Ready(listener) && (c = accept(listener, nullptr, nullptr)) != static_cast<SOCKET>(-1))
                Serve(c, routes, stopping_), closesocket(c);
        closesocket(listener);
    });
}

LocalHttpServer::~LocalHttpServer() {
    stopping_ = true;
    server_.join();
}

} // namespace stowly::test
