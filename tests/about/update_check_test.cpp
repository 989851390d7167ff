// The update check against a local server, through the real HTTP client (libcurl, or WinHTTP under Wine).
#include <doctest/doctest.h>

#include <filesystem>
#include <set>

#include "about/UpdateCheck.h"
#include "core/Version.h"
#include "support/LocalHttpServer.h"
#include "support/SimMachine.h"
#include "support/Utf16File.h"

using namespace stowly;
using Texts = std::vector<std::string>;

namespace {

std::string Question(const std::string& offered) {
    return "A new version of Stowly is available. Do you wish to visit the Orvenko download page?\r\n\r\n"
           "Your current version: " + VersionText() + "\r\nNew version available for download: " + offered + "\r\n";
}

struct UpdateWorld : test::SimMachine {
    // Runs the check with `page` served as the version page; the texts shown.
    Texts Check(const std::string& page, int status = 200) {
        test::LocalHttpServer server({{"/products.txt", {status, page}}});
        CheckForUpdates(os, ui, server.Url("/products.txt"));
        return ui.MessageTexts();
    }
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(os.Root())) names.insert(e.path().string());
        return names;
    }
};

} // namespace

TEST_CASE("Only a later version is offered, compared part by part as whole numbers; Yes opens the web site") {
    REQUIRE(VersionText() == "4.0.0");
    struct Case { std::string offered, running; bool newer; };
    for (const Case& c : {Case{"4.0.0", "4.0.0", false}, Case{"3.9.9", "4.0.0", false}, Case{"10.0.0", "4.0.0", true},
                          Case{" 4.0.0 ", "4.0.0", false}, Case{"beta", "4.0.0", false}, Case{"4.0.10", "4.0.9", true},
                          Case{"4.0.9", "4.0.10", false}, Case{"4.0.0", "10.0.0", false}, Case{"04.00.001", "4.0.0", true},
                          Case{"4.0", "4.0.0", false}, Case{"4.0.0.1", "4.0.0", true}, Case{"4..1", "4.0.0", false},
                          Case{"99999.0.0", "4.0.0", true}, Case{"4.0.1-beta", "4.0.0", false},
                          // more digits or parts than a version has: no version at all
                          Case{"123456789012345678901.0.0", "4.0.0", false}, Case{"100000.0.0", "4.0.0", false},
                          Case{"4.0.0.0.1", "4.0.0", false}, Case{"4. 0.1", "4.0.0", false}}) {
        INFO(c.offered << " against " << c.running);
        CHECK(IsNewerVersion(c.offered, c.running) == c.newer);
        if (c.running != VersionText()) continue;
        UpdateWorld w;
        w.ui.Push(Answer::Yes);
        CHECK(w.Check("\r\nStowly," + c.offered + ",\r\n") == (c.newer ? Texts{Question(c.offered)} : Texts{}));
        CHECK(w.os.openedUrls == (c.newer ? Texts{kWebSiteUrl} : Texts{}));
        for (const auto& s : w.ui.shown) CHECK(s.buttons == MsgButtons::YesNo);
    }
}

TEST_CASE("What a version page shows, and that the check writes no file") {
    struct Case { std::string page; Texts shown; int status = 200; };
    for (const Case& c : {
             Case{"All\r\nOther,9.0.0,Not us\r\nStowly,5.0.0,\"Hi, users\"\r\nLast,1.0.0,x\r\n", {"All", "Hi, users", Question("5.0.0")}},
             // the name in any letter case, with blanks around it
             Case{"\r\nstowly,4.2.0,Note\r\n", {"Note", Question("4.2.0")}},
             Case{"\r\n  StOwLy  ,4.2.0,Note\r\n", {"Note", Question("4.2.0")}},
             Case{"\r\n\" STOWLY \",4.2.0,Note\r\n", {"Note", Question("4.2.0")}},
             // no record of this product: at most the first-line notice
             Case{"All\r\nOther,9.0.0,Not us\r\nThird,1.0.0,x\r\n", {"All"}},
             Case{"  \r\nOther,9.0.0,Not us", {}},
             Case{"All\nOther,9.0.0,Not us\n\n\n", {"All"}},
             Case{"All\r\nStowly2,9.0.0,Not us\r\n", {"All"}},
             Case{"Caf\xE9\r\nStowly,4.0.0,\r\n", {"Caf\xC3\xA9"}}, // a page in the system's code page
             Case{test::Utf16File(u"All\nStowly,5.0,\n", false), {"All", Question("5.0")}},
             Case{test::Utf16File(u"All\r\nStowly,5.0,\u00C9t\u00E9\r\n", true), {"All", "\xC3\x89t\xC3\xA9", Question("5.0")}},
             Case{"All\r\n\r\nOther,1.0,x\r\n  \r\nStowly,4.0.0,Hi\r\n\r\n", {"All", "Hi"}}, // blank lines between
             // not a version page: nothing at all, not even the notice
             Case{"Only a notice", {}}, Case{"", {}}, Case{"All\r\nOther,1.0.0", {}},
             Case{"<!DOCTYPE html>\r\n<html><body>Internal error</body></html>\r\n", {}},
             Case{"<html>\r\nStowly,5.0.0,x\r\n", {}},
             Case{"All\r\nStowly,5.0.0,x,extra\r\n", {}}, Case{"All\r\nStowly,5.0.0\r\n", {}},
             Case{"All\r\nOther,1.0,\"open\r\nStowly,5.0.0,x\r\n", {}},
             Case{"All\r\nStowly,123456789012345678901.0.0,x\r\n", {}}, Case{"All\r\nOther,1.0 beta,x\r\nStowly,5.0,x\r\n", {}},
             Case{std::string(501, 'n') + "\r\nStowly,5.0.0,\r\n", {}},
             Case{std::string(500, 'n') + "\r\nStowly,5.0.0,\r\n", {std::string(500, 'n'), Question("5.0.0")}},
             // anything but the page itself: silence
             Case{"All\r\nStowly,9.0.0,Note\r\n", {}, 404}, Case{"All\r\nStowly,9.0.0,Note\r\n", {}, 301}}) {
        CAPTURE(c.page);
        UpdateWorld w;
        auto before = w.Files();
        REQUIRE(!before.empty());
        CHECK(w.Check(c.page, c.status) == c.shown);
        for (const auto& s : w.ui.shown) CHECK(s.title == "Stowly");
        CHECK(w.os.openedUrls.empty()); // No is the default answer
        CHECK(w.Files() == before);
    }
}

TEST_CASE("Only the first 4 KiB of a page are read, up to their last whole line") {
    const std::string notice = "All\r\n", record = "Stowly,5.0.0,Hi\r\n";
    // Filler records that end exactly at the limit, or one byte after it.
    auto filler = [](size_t bytes) {
        std::string lines;
        while (lines.size() + 20 <= bytes) lines += "Other,1.0,12345678\r\n"; // 20 bytes a line
        return lines + std::string(bytes - lines.size(), ' ');
    };
    struct Case {
        const char* what;
        std::string page;
        Texts shown;
    };
    const Case cases[] = {
        {"record within", notice + record + std::string(10 << 20, 'x'), {"All", "Hi", Question("5.0.0")}},
        {"record ends at the limit", notice + filler(4096 - notice.size() - record.size()) + record, {"All", "Hi", Question("5.0.0")}},
        {"record cut by the limit", notice + filler(4096 - notice.size() - record.size() + 5) + record, {"All"}},
        {"record after the limit", notice + filler(8000) + "\r\n" + record, {"All"}},
        {"notice line longer than the limit", std::string(5000, 'n') + "\r\n" + record, {}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        UpdateWorld w;
        CHECK(w.Check(c.page) == c.shown);
    }
}

TEST_CASE("A server that does not answer delays the check by no more than the time-out") {
    UpdateWorld w;
    test::LocalHttpServer server({{"/products.txt", {200, "", test::Reply::Silent}}});
    long long ms = test::MillisecondsOf([&] { CheckForUpdates(w.os, w.ui, server.Url("/products.txt")); });
    MESSAGE("silent server: the check gave up after " << ms << " ms");
    CHECK(w.ui.shown.empty());
    CHECK(ms >= 1000); // it did wait on the server
    CHECK(ms < 2 * kUpdateTotalTimeoutMs);
}

TEST_CASE("A browser that cannot be opened is reported with the address") {
    struct NoBrowser : SimPlatform { using SimPlatform::SimPlatform; bool OpenUrl(const std::string&) override { return false; } };
    test::TestDir dir;
    NoBrowser os(dir.path());
    ScriptedUi ui;
    OpenInBrowser(os, ui, "https://example.invalid/download/");
    CHECK(ui.MessageTexts() == Texts{"Cannot launch browser from here.\r\nPlease exit and connect to our web site "
                                     "manually at:\r\nhttps://example.invalid/download/"});
    CHECK(ui.shown[0].title == "Browser Error");
    CHECK(ui.shown[0].icon == MsgIcon::Critical);
}
