// The update check: the version page and versions as pure tables, then the round
// trip through the real HTTP client (libcurl, or WinHTTP under Wine) and a local server.
#include <doctest/doctest.h>

#include <filesystem>
#include <set>

#include "about/UpdateCheck.h"
#include "core/Version.h"
#include "support/LocalHttpServer.h"
#include "support/SimMachine.h"

using namespace stowly;
using Texts = std::vector<std::string>;

namespace {

std::string Question(const std::string& offered) {
    return "A new version of Stowly is available. Do you wish to visit the Orvenko download page?\r\n\r\n"
           "Your current version: " + VersionText() + "\r\nNew version available for download: " + offered + "\r\n";
}

std::set<std::string> Files(const test::SimMachine& m) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(m.os.Root())) names.insert(e.path().string());
    return names;
}

} // namespace

TEST_CASE("A later version is one whose parts, as whole numbers, compare greater; anything else is no version") {
    struct Case { std::string offered, running; bool newer; };
    for (const Case& c : {Case{"4.0.0", "4.0.0", false}, Case{"3.9.9", "4.0.0", false}, Case{"10.0.0", "4.0.0", true},
                          Case{" 4.0.0 ", "4.0.0", false}, Case{"beta", "4.0.0", false}, Case{"4.0.10", "4.0.9", true},
                          Case{"4.0.9", "4.0.10", false}, Case{"4.0.0", "10.0.0", false}, Case{"04.00.001", "4.0.0", true},
                          Case{"4.0", "4.0.0", false}, Case{"4.0.0.1", "4.0.0", true}, Case{"4..1", "4.0.0", false},
                          Case{"99999.0.0", "4.0.0", true}, Case{"4.0.1-beta", "4.0.0", false},
                          Case{"123456789012345678901.0.0", "4.0.0", false}, Case{"100000.0.0", "4.0.0", false},
                          Case{"4.0.0.0.1", "4.0.0", false}, Case{"4. 0.1", "4.0.0", false}}) {
        INFO(c.offered << " against " << c.running);
        CHECK(IsNewerVersion(c.offered, c.running) == c.newer);
    }
}

TEST_CASE("What a version page shows: the notice, this product's record, a later version offered") {
    const std::string record = "Stowly,5.0.0,Hi\r\n";
    const auto filler = [](size_t bytes) { // records of 20 bytes, then blanks
        std::string lines;
        while (lines.size() + 20 <= bytes) lines += "Other,1.0,12345678\r\n";
        return lines + std::string(bytes - lines.size(), ' ');
    };
    struct Case { std::string page; Texts shown; };
    for (const Case& c : {
             Case{"All\r\nOther,9.0.0,Not us\r\nStowly,5.0.0,\"Hi, users\"\r\nLast,1.0.0,x\r\n", {"All", "Hi, users", Question("5.0.0")}},
             // the name in any letter case, with blanks around it
             Case{"\r\nstowly,4.2.0,Note\r\n", {"Note", Question("4.2.0")}},
             Case{"\r\n  StOwLy  ,4.2.0,Note\r\n", {"Note", Question("4.2.0")}},
             Case{"\r\n\" STOWLY \",4.2.0,Note\r\n", {"Note", Question("4.2.0")}},
             Case{"\r\nStowly,4.0.0,Same\r\n", {"Same"}},
             // no record of this product: at most the first-line notice
             Case{"All\r\nOther,9.0.0,Not us\r\nThird,1.0.0,x\r\n", {"All"}},
             Case{"  \r\nOther,9.0.0,Not us", {}},
             Case{"All\nOther,9.0.0,Not us\n\n\n", {"All"}},
             Case{"All\r\nStowly2,9.0.0,Not us\r\n", {"All"}},
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
             // only the first 4 KiB, up to their last whole line
             Case{"All\r\n" + filler(4096 - 5 - record.size()) + record, {"All", "Hi", Question("5.0.0")}},
             Case{"All\r\n" + filler(4096 - 5 - record.size() + 5) + record, {"All"}},
             Case{"All\r\n" + filler(8000) + "\r\n" + record, {"All"}},
             Case{std::string(5000, 'n') + "\r\n" + record, {}}}) {
        CAPTURE(c.page.substr(0, 80));
        test::SimMachine m;
        DisplayProductUpdateMessage(m.os, m.ui, c.page);
        CHECK(m.ui.MessageTexts() == c.shown);
        for (const auto& s : m.ui.shown) CHECK((s.title == "Stowly" && (s.text != Question("5.0.0") || s.buttons == MsgButtons::YesNo)));
        CHECK(m.os.openedUrls.empty()); // No is the default answer
    }
}

TEST_CASE("The check through the local server: only the page itself speaks, Yes opens the web site, no file written") {
    struct Case { int status; Texts shown; };
    for (const Case& c : {Case{200, {"All", "Hi", Question("5.0.0")}}, Case{404, {}}, Case{301, {}}}) {
        CAPTURE(c.status);
        test::SimMachine m;
        const auto before = Files(m);
        for (Answer a : {Answer::Ok, Answer::Ok, Answer::Yes}) m.ui.Push(a);
        // A page far longer than what is read: the client stops after the first 4 KiB.
        test::LocalHttpServer server({{"/products.txt", {c.status, "All\r\nStowly,5.0.0,Hi\r\n" + std::string(10 << 20, 'x')}}});
        CheckForUpdates(m.os, m.ui, server.Url("/products.txt"));
        CHECK(m.ui.MessageTexts() == c.shown);
        CHECK(m.os.openedUrls == (c.shown.empty() ? Texts{} : Texts{kWebSiteUrl}));
        CHECK(Files(m) == before);
    }
}

TEST_CASE("A server that does not answer delays the check by no more than the time-out") {
    test::SimMachine m;
    test::LocalHttpServer server({{"/products.txt", {200, "", test::Reply::Silent}}});
    long long ms = test::MillisecondsOf([&] { CheckForUpdates(m.os, m.ui, server.Url("/products.txt")); });
    MESSAGE("silent server: the check gave up after " << ms << " ms");
    CHECK(m.ui.shown.empty());
    CHECK((ms >= 1000 && ms < 2 * kUpdateTotalTimeoutMs)); // it did wait on the server, and no longer
}

TEST_CASE("A browser that cannot be opened is reported with the address") {
    struct NoBrowser : SimPlatform { using SimPlatform::SimPlatform; bool OpenUrl(const std::string&) override { return false; } };
    test::TestDir dir;
    NoBrowser os(dir.path());
    ScriptedUi ui;
    OpenInBrowser(os, ui, "https://example.invalid/download/");
    CHECK(ui.MessageTexts() == Texts{"Cannot launch browser from here.\r\nPlease exit and connect to our web site "
                                     "manually at:\r\nhttps://example.invalid/download/"});
    CHECK((ui.shown[0].title == "Browser Error" && ui.shown[0].icon == MsgIcon::Critical));
}
