#pragma once
// An HTTP server on 127.0.0.1 for tests of the HTTP client: it answers GETs from
// canned routes (404 elsewhere), or stays silent, or answers a byte at a time.
#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <thread>

namespace stowly::test {

enum class Reply { Answer, Silent, Trickle };
struct Route { int status = 200; std::string body; Reply reply = Reply::Answer; std::string headers; }; // "Location: /x\r\n"

class LocalHttpServer {
public:
    explicit LocalHttpServer(std::map<std::string, Route> routes);
    ~LocalHttpServer();
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread server_;
};

inline long long MillisecondsOf(auto&& call) {
    auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace stowly::test
