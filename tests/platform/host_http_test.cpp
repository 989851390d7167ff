// The system's own HTTP client (libcurl natively, WinHTTP under Wine) against a local server.
#include <doctest/doctest.h>

#include "platform/HostHttp.h"
#include "support/LocalHttpServer.h"

using namespace stowly;
using namespace stowly::test;

TEST_CASE("HostHttpGet returns the status and the body byte for byte, up to the bytes asked for, and follows no redirect") {
    std::string big;
    for (int i = 0; i < 200000; ++i) big += static_cast<char>(i * 7 % 256);
    LocalHttpServer server({{"/big", {200, big}}, {"/gone", {404, "no such page"}},
                            {"/moved", {302, "", Reply::Answer, "Location: /big\r\n"}}});
    struct Case { std::string path; int status; std::string body; };
    for (const Case& c : {Case{"/big", 200, big}, Case{"/gone", 404, "no such page"},
                          Case{"/missing", 404, "Not Found"}, Case{"/moved", 302, ""}}) {
        CAPTURE(c.path);
        HttpResult r = HostHttpGet(server.Url(c.path), 2000, 5000, 1 << 20);
        CHECK(r.status == c.status);
        CHECK(r.body == c.body);
    }
    for (size_t cut : {size_t{0}, size_t{5000}, big.size()}) {
        CAPTURE(cut);
        HttpResult r = HostHttpGet(server.Url("/big"), 2000, 5000, cut);
        CHECK(r.status == 200);
        CHECK(r.body == big.substr(0, cut));
    }
}

TEST_CASE("HostHttpGet gives status 0 at once when no answer can come") {
    for (const std::string& url : std::vector<std::string>{UnusedLocalUrl("/page"), "", "not an address",
                                                           "ftp://127.0.0.1/page", "file:///etc/hosts", "http://"}) {
        CAPTURE(url);
        HttpResult r;
        CHECK(MillisecondsOf([&] { r = HostHttpGet(url, 1000, 2000, 4096); }) < 2000 + 1500);
        CHECK(r.status == 0);
        CHECK(r.body.empty());
    }
}

TEST_CASE("HostHttpGet keeps to its total time-out with a server that is silent or slow") {
    LocalHttpServer server({{"/silent", {200, "", Reply::Silent}}, {"/slow", {200, "", Reply::Trickle}}});
    for (std::string path : {"/silent", "/slow"}) {
        CAPTURE(path);
        HttpResult r;
        long long ms = MillisecondsOf([&] { r = HostHttpGet(server.Url(path), 500, 1000, 4096); });
        MESSAGE(path << " gave up after " << ms << " ms (total time-out 1000 ms)");
        CHECK(r.status == 0);
        CHECK(ms >= 900);
        CHECK(ms < 1000 + 1500);
    }
}
