#include "support/LocalHttpServer.h"

#include <chrono>
#include <cstdint>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace stowly::test {

namespace {

#ifdef _WIN32
using Socket = SOCKET;
const Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) { closesocket(s); }
constexpr int kSendFlags = 0;
// Winsock must be started once per process before the first socket.
void StartSockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) throw std::runtime_error("Winsock did not start");
}
#else
using Socket = int;
const Socket kNoSocket = -1;
void CloseSocket(Socket s) { close(s); }
constexpr int kSendFlags = MSG_NOSIGNAL; // a client that hung up must not end the test run
void StartSockets() {}
#endif

Socket ToSocket(std::uintptr_t s) { return static_cast<Socket>(s); }

// Whether `s` has something to read (or a connection to accept) within `ms`.
bool Readable(Socket s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    return select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0;
}

bool SendAll(Socket s, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), kSendFlags);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// A listening socket on 127.0.0.1 at a port the system picks.
Socket Listen(int& port) {
    StartSockets();
    Socket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == kNoSocket) throw std::runtime_error("no socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 16) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        CloseSocket(s);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(addr.sin_port);
    return s;
}

std::string StatusLine(int status) {
    return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Status") + "\r\n";
}

} // namespace

LocalHttpServer::LocalHttpServer() : listener_(static_cast<std::uintptr_t>(Listen(port_))) {
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LocalHttpServer::~LocalHttpServer() {
    stopping_ = true;
    acceptor_.join();
    for (auto& t : connections_) t.join();
    CloseSocket(ToSocket(listener_));
}

void LocalHttpServer::Serve(const std::string& path, Route route) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(route);
}

std::string LocalHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LocalHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LocalHttpServer::AcceptLoop() {
    while (!stopping_) {
        if (!Readable(ToSocket(listener_), 50)) continue;
        Socket c = accept(ToSocket(listener_), nullptr, nullptr);
        if (c == kNoSocket) continue;
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, c] { Handle(static_cast<std::uintptr_t>(c)); });
    }
}

void LocalHttpServer::Handle(std::uintptr_t connection) {
    Socket s = ToSocket(connection);
    std::string head;
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (head.find("\r\n\r\n") == std::string::npos && !stopping_ && std::chrono::steady_clock::now() < giveUp) {
        if (!Readable(s, 50)) continue;
        char buffer[4096];
        int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        head.append(buffer, static_cast<size_t>(n));
    }
    // "GET /path HTTP/1.1"
    size_t start = head.find(' ');
    size_t end = start == std::string::npos ? start : head.find(' ', start + 1);
    std::string path = end == std::string::npos ? "" : head.substr(start + 1, end - start - 1);

    Route route{404, "Not Found"};
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head.substr(0, head.find("\r\n\r\n")));
        if (auto it = routes_.find(path); it != routes_.end()) route = it->second;
    }
    switch (route.mode) {
    case Mode::Answer:
        SendAll(s, StatusLine(route.status) + "Content-Type: text/plain\r\nContent-Length: " +
                       std::to_string(route.body.size()) + "\r\nConnection: close\r\n" + route.extraHeaders +
                       "\r\n" + route.body);
        break;
    case Mode::Silent:
        while (!stopping_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        break;
    case Mode::Trickle:
        if (SendAll(s, StatusLine(200) + "Content-Length: 1000000\r\nConnection: close\r\n\r\n"))
            while (!stopping_ && SendAll(s, "x")) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        break;
    }
    CloseSocket(s);
}

std::string UnusedLocalUrl(const std::string& path) {
    int port = 0;
    CloseSocket(Listen(port));
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

} // namespace stowly::test
