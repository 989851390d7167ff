#include "support/LocalHttpServer.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using Socket = SOCKET;
static void CloseSocket(Socket s) { closesocket(s); }
constexpr int kSendFlags = 0;
#else
#include <arpa/inet.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using Socket = int;
static void CloseSocket(Socket s) { close(s); }
constexpr int kSendFlags = MSG_NOSIGNAL; // a client that hung up must not end the test run
#endif

namespace stowly::test {
namespace {

Socket S(std::uintptr_t s) { return static_cast<Socket>(s); }

// Whether the socket can be read (or written) within `ms`.
bool Ready(Socket s, int ms, bool write = false) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{0, ms * 1000};
    return select(static_cast<int>(s) + 1, write ? nullptr : &set, write ? &set : nullptr, nullptr, &tv) > 0;
}

// Sends in small pieces, each once there is room, so that a client which stops
// reading cannot hold the server past its end.
bool SendAll(Socket s, const std::string& bytes, const std::atomic<bool>& stopping) {
    for (size_t sent = 0; sent < bytes.size();) {
        if (stopping) return false;
        if (!Ready(s, 50, true)) continue;
        const size_t piece = std::min<size_t>(bytes.size() - sent, 4096);
        int n = send(s, bytes.data() + sent, static_cast<int>(piece), kSendFlags);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// A listening socket on 127.0.0.1 at a port the system picks.
Socket Listen(int& port) {
#ifdef _WIN32
    static const bool started = [] { WSADATA data; return WSAStartup(MAKEWORD(2, 2), &data) == 0; }();
    if (!started) throw std::runtime_error("Winsock did not start");
#endif
    Socket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 16) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port = ntohs(addr.sin_port);
    return s;
}

} // namespace

LocalHttpServer::LocalHttpServer(std::map<std::string, Route> routes)
    : routes_(std::move(routes)), listener_(static_cast<std::uintptr_t>(Listen(port_))) {
    acceptor_ = std::thread([this] {
        for (Socket c; !stopping_;)
            if (Ready(S(listener_), 50) && (c = accept(S(listener_), nullptr, nullptr)) != static_cast<Socket>(-1))
                connections_.emplace_back([this, c] { Handle(static_cast<std::uintptr_t>(c)); });
    });
}

LocalHttpServer::~LocalHttpServer() {
    stopping_ = true;
    acceptor_.join();
    for (auto& t : connections_) t.join();
    CloseSocket(S(listener_));
}

void LocalHttpServer::Handle(std::uintptr_t connection) {
    Socket s = S(connection);
    std::string request;
    char buffer[4096];
    for (int n = 1; n > 0 && request.find("\r\n\r\n") == std::string::npos && !stopping_;)
        if (Ready(s, 50) && (n = recv(s, buffer, sizeof buffer, 0)) > 0) request.append(buffer, static_cast<size_t>(n));
    size_t start = request.find(' ') + 1; // "GET /path HTTP/1.1"
    auto it = routes_.find(request.substr(start, request.find(' ', start) - start));
    Route route = it == routes_.end() ? Route{404, "Not Found"} : it->second;
    // A trickle promises a long body and sends it a byte at a time.
    const std::string head = "HTTP/1.1 " + std::to_string(route.status) + " Test\r\nContent-Length: " +
                             (route.reply == Reply::Trickle ? "1000000" : std::to_string(route.body.size())) +
                             "\r\nConnection: close\r\n" + route.headers + "\r\n";
    if (route.reply != Reply::Silent) SendAll(s, head + (route.reply == Reply::Answer ? route.body : ""), stopping_);
    while (route.reply != Reply::Answer && !stopping_ && (route.reply == Reply::Silent || SendAll(s, "x", stopping_)))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    CloseSocket(s);
}

} // namespace stowly::test
