// The update check at start-up, against a local server through the host's real
// HTTP client (libcurl natively, WinHTTP under Wine).
#include <doctest/doctest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "about/UpdateCheck.h"
#include "support/LocalHttpServer.h"
#include "support/SimMachine.h"

using namespace stowly;
using test::LocalHttpServer;

namespace {

const std::string kErrorInputPastEnd =
    "Please contact Orvenko, Inc..\rError Number:10562 from module DisplayProductUpdateMessage";

std::string Question(const std::string& offered) {
    return "A new version of Stowly is available. Do you wish to visit the Orvenko download page?\r\n\r\n"
           "Your current version: " + VersionText() + "\r\nNew version available for download: " + offered + "\r\n";
}

struct UpdateWorld : test::SimMachine {
    LocalHttpServer server;

    // Runs the check against `page` served with `status`.
    void Check(const std::string& page, int status = 200) {
        server.Serve("/products.txt", {status, page});
        CheckForUpdates(ctx, server.Url("/products.txt"));
    }
    std::vector<std::string> Shown() const { return ui.MessageTexts(); }
};

std::set<std::string> HostTree(const std::filesystem::path& root) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) names.insert(e.path().string());
    return names;
}

} // namespace

TEST_CASE("A newer version is offered with the exact question, and Yes opens the web site") {
    for (Answer answer : {Answer::No, Answer::Yes}) {
        UpdateWorld w;
        w.ui.Push(answer);
        w.Check("\r\nStowly,4.0.1,\r\n");
        REQUIRE(w.ui.shown.size() == 1);
        CHECK(w.ui.shown[0].text == Question("4.0.1"));
        CHECK(w.ui.shown[0].title == "Stowly");
        CHECK(w.ui.shown[0].buttons == MsgButtons::YesNo);
        CHECK(w.os.openedUrls == (answer == Answer::Yes ? std::vector<std::string>{kWebSiteUrl}
                                                        : std::vector<std::string>{}));
    }
}

TEST_CASE("Versions are offered only when they are later, compared as numbers") {
    REQUIRE(VersionText() == "4.0.0");
    struct Case { std::string offered; bool asked; };
    for (Case c : {Case{"4.0.0", false}, Case{"3.9.9", false}, Case{"4.0.1", true}, Case{"4.1.0", true},
                   Case{"10.0.0", true}, Case{" 4.0.0 ", false}, Case{"beta", false}, Case{"", false}}) {
        CAPTURE(c.offered);
        UpdateWorld w;
        w.Check("\r\nStowly," + c.offered + ",\r\n");
        CHECK(w.Shown() == (c.asked ? std::vector<std::string>{Question(c.offered)} : std::vector<std::string>{}));
    }
}

TEST_CASE("IsNewerVersion compares part by part as whole numbers") {
    struct Case { std::string offered, running; bool newer; };
    for (Case c : {Case{"4.0.10", "4.0.9", true}, Case{"4.0.9", "4.0.10", false}, Case{"10.0.0", "4.0.0", true},
                   Case{"4.0.0", "10.0.0", false}, Case{"4.0.0", "4.0.0", false}, Case{"04.00.001", "4.0.0", true},
                   Case{"4.1", "4.0.0", true}, Case{"4.0", "4.0.0", false}, Case{"4.0.0.1", "4.0.0", true},
                   Case{"123456789012345678901.0.0", "4.0.0", true}, Case{"4..1", "4.0.0", false},
                   Case{"4.0.1-beta", "4.0.0", false}, Case{"-5.0.0", "4.0.0", false}, Case{"", "4.0.0", false}}) {
        CAPTURE(c.offered);
        CAPTURE(c.running);
        CHECK(IsNewerVersion(c.offered, c.running) == c.newer);
    }
}

TEST_CASE("Notices of the page and of this product's record are shown before the question") {
    UpdateWorld w;
    w.Check("Welcome to everyone\r\nOther,9.0.0,Not for us\r\nStowly,5.0.0,\"Hello, users\"\r\nLast,1.0.0,x\r\n");
    CHECK(w.Shown() == std::vector<std::string>{"Welcome to everyone", "Hello, users", Question("5.0.0")});
    for (const auto& s : w.ui.shown) CHECK(s.title == "Stowly");
}

TEST_CASE("Without a record for this product only the first-line notice is shown") {
    struct Case { std::string page; std::vector<std::string> shown; };
    for (const Case& c : {Case{"For all\r\nOther,9.0.0,Not for us\r\nThird,1.0.0,x\r\n", {"For all"}},
                          Case{"  \r\nOther,9.0.0,Not for us", {}},
                          Case{"For all\nOther,9.0.0,Not for us\n\n\n", {"For all"}},
                          Case{"For all\r\nStowly2,9.0.0,Not for us\r\n", {"For all"}}}) {
        CAPTURE(c.page);
        UpdateWorld w;
        w.Check(c.page);
        CHECK(w.Shown() == c.shown);
    }
}

TEST_CASE("The product name matches in any letter case and with blanks around it") {
    for (std::string name : {"stowly", "STOWLY", "  StOwLy  ", "\" Stowly \""}) {
        CAPTURE(name);
        UpdateWorld w;
        w.Check("\r\n" + name + ",4.2.0,Note\r\n");
        CHECK(w.Shown() == std::vector<std::string>{"Note", Question("4.2.0")});
    }
}

TEST_CASE("A page that ends before its first record is reported") {
    struct Case { std::string page; std::vector<std::string> shown; };
    for (const Case& c : {Case{"Only a notice\r\n", {"Only a notice", kErrorInputPastEnd}},
                          Case{"Only a notice", {"Only a notice", kErrorInputPastEnd}},
                          Case{"", {kErrorInputPastEnd}},
                          Case{"\r\nOther,1.0.0", {kErrorInputPastEnd}}}) {
        CAPTURE(c.page);
        UpdateWorld w;
        w.Check(c.page);
        CHECK(w.Shown() == c.shown);
        REQUIRE(!w.ui.shown.empty());
        CHECK(w.ui.shown.back().title == "Error");
    }
}

TEST_CASE("A page in the system's code page is shown in the right letters") {
    UpdateWorld w;
    w.Check("Caf\xE9 ouvert\r\nStowly,4.0.0,\r\n");
    CHECK(w.Shown() == std::vector<std::string>{"Caf\xC3\xA9 ouvert"});
}

TEST_CASE("Anything but the page itself leaves the check silent") {
    const std::string page = "Notice\r\nStowly,9.0.0,Note\r\n";
    for (int status : {404, 500, 301}) {
        CAPTURE(status);
        UpdateWorld w;
        w.Check(page, status);
        CHECK(w.Shown().empty());
    }
    UpdateWorld w;
    CheckForUpdates(w.ctx, test::UnusedLocalUrl("/products.txt"));
    CHECK(w.Shown().empty());
}

TEST_CASE("A server that does not answer delays the check by no more than the time-out") {
    UpdateWorld w;
    w.server.Serve("/products.txt", {200, "", LocalHttpServer::Mode::Silent});
    auto start = std::chrono::steady_clock::now();
    CheckForUpdates(w.ctx, w.server.Url("/products.txt"));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    MESSAGE("silent server: the check gave up after " << ms << " ms");
    CHECK(w.server.Requests().size() == 1);
    CHECK(w.Shown().empty());
    CHECK(ms < kUpdateTotalTimeoutMs + 2000);
}

TEST_CASE("The check writes nothing, beside the program or anywhere else") {
    UpdateWorld w;
    auto before = HostTree(w.os.Root());
    REQUIRE(!before.empty());
    w.ui.Push(Answer::No);
    w.Check("Notice\r\nStowly,9.0.0,Note\r\n");
    CHECK(w.Shown().size() == 3);
    CHECK(HostTree(w.os.Root()) == before);
}

TEST_CASE("A browser that cannot be opened is reported with the address") {
    struct NoBrowser : SimPlatform {
        using SimPlatform::SimPlatform;
        bool OpenUrl(const std::string&) override { return false; }
    };
    test::TestDir dir;
    NoBrowser os(dir.path());
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    OpenInBrowser(ctx, "https://example.invalid/download/");
    REQUIRE(ui.shown.size() == 1);
    CHECK(ui.shown[0].text == "Cannot launch browser from here.\r\nPlease exit and connect to our web site manually "
                              "at:\r\nhttps://example.invalid/download/");
    CHECK(ui.shown[0].title == "Browser Error");
    CHECK(ui.shown[0].icon == MsgIcon::Critical);
}

TEST_CASE("The shipped addresses stay silent") {
    UpdateWorld w;
    auto start = std::chrono::steady_clock::now();
    CheckForUpdates(w.ctx);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    CHECK(w.Shown().empty());
    CHECK(ms < kUpdateTotalTimeoutMs + 2000);
}
