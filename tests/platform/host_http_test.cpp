// The system's own HTTP client (libcurl natively, WinHTTP under Wine) against a
// local server.
#include <doctest/doctest.h>

#include <chrono>

#include "platform/HostHttp.h"
#include "platform/Text.h"
#include "support/LocalHttpServer.h"

using namespace stowly;
using test::LocalHttpServer;

namespace {

long long MillisecondsOf(auto&& call) {
    auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST_CASE("HostHttpGet returns the status and the body byte for byte") {
    LocalHttpServer server;
    std::string big;
    for (int i = 0; i < 200000; ++i) big += static_cast<char>(i * 7 % 256);
    server.Serve("/page", {200, "first line\r\nStowly,4.0.1,\"a, b\"\r\n"});
    server.Serve("/big", {200, big});
    server.Serve("/gone", {404, "no such page"});
    server.Serve("/moved", {302, "", LocalHttpServer::Mode::Answer, "Location: /page\r\n"});

    struct Case { std::string path; int status; std::string body; };
    for (const Case& c : {Case{"/page", 200, "first line\r\nStowly,4.0.1,\"a, b\"\r\n"}, Case{"/big", 200, big},
                          Case{"/gone", 404, "no such page"}, Case{"/missing", 404, "Not Found"},
                          Case{"/moved", 302, ""}, Case{"/page?x=1", 404, "Not Found"}}) {
        CAPTURE(c.path);
        HttpResult r = HostHttpGet(server.Url(c.path), 2000, 5000);
        CHECK(r.status == c.status);
        CHECK(r.body == c.body);
    }
    // Only one request per call: the redirect was not followed.
    CHECK(server.Requests().size() == 6);
}

TEST_CASE("HostHttpGet asks caches not to answer") {
    LocalHttpServer server;
    server.Serve("/page", {200, "x"});
    REQUIRE(HostHttpGet(server.Url("/page"), 2000, 5000).status == 200);
    REQUIRE(server.Requests().size() == 1);
    std::string head = UpperCase(server.Requests()[0]);
    CHECK(head.find("\r\nCACHE-CONTROL: NO-CACHE") != std::string::npos);
    CHECK(head.find("\r\nPRAGMA: NO-CACHE") != std::string::npos);
}

TEST_CASE("HostHttpGet gives status 0 when no answer can come") {
    for (std::string url : {test::UnusedLocalUrl("/page"), std::string(""), std::string("not an address"),
                            std::string("ftp://127.0.0.1/page"), std::string("file:///etc/hosts"),
                            std::string("http://")}) {
        CAPTURE(url);
        HttpResult r;
        long long ms = MillisecondsOf([&] { r = HostHttpGet(url, 1000, 2000); });
        CHECK(r.status == 0);
        CHECK(r.body.empty());
        CHECK(ms < 2000 + 1500);
    }
}

TEST_CASE("HostHttpGet keeps to its total time-out with a server that is silent or slow") {
    LocalHttpServer server;
    server.Serve("/silent", {200, "", LocalHttpServer::Mode::Silent});
    server.Serve("/slow", {200, "", LocalHttpServer::Mode::Trickle});
    for (std::string path : {"/silent", "/slow"}) {
        CAPTURE(path);
        HttpResult r;
        long long ms = MillisecondsOf([&] { r = HostHttpGet(server.Url(path), 500, 1000); });
        MESSAGE(path << " gave up after " << ms << " ms (total time-out 1000 ms)");
        CHECK(r.status == 0);
        CHECK(ms >= 900);
        CHECK(ms < 1000 + 1500);
    }
}
