#pragma once
// A small HTTP server on 127.0.0.1 for tests of the program's HTTP client. It
// answers GET requests from canned routes, each connection on its own thread,
// and can also stay silent or answer a little at a time, to test time-outs.
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace stowly::test {

class LocalHttpServer {
public:
    enum class Mode {
        Answer,  // status, headers and body at once
        Silent,  // takes the request and never answers
        Trickle, // announces a long body, then sends one byte every 50 ms
    };
    struct Route {
        int status = 200;
        std::string body;
        Mode mode = Mode::Answer;
        std::string extraHeaders; // e.g. "Location: /x\r\n"
    };

    // Listens on a free port of 127.0.0.1 at once.
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // Paths without a route answer 404.
    void Serve(const std::string& path, Route route);
    // "http://127.0.0.1:<port>" + path
    std::string Url(const std::string& path) const;
    // Heads of the requests received so far (request line and headers).
    std::vector<std::string> Requests() const;

private:
    void AcceptLoop();
    void Handle(std::uintptr_t connection);

    int port_ = 0; // set by the listener's creation, so declared before it
    std::uintptr_t listener_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Route> routes_;
    std::vector<std::string> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

// An address on 127.0.0.1 where nothing listens: connecting is refused.
std::string UnusedLocalUrl(const std::string& path);

} // namespace stowly::test
