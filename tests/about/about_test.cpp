// Help and the update check on the simulated machine: pages and versions as pure tables,
// then the real HTTP client (libcurl, or WinHTTP under Wine) against a local server.
#include <doctest/doctest.h>

#include <filesystem>

#include "about/About.h"
#include "about/UpdateCheck.h"
#include "core/Version.h"
#include "platform/HostHttp.h"
#include "support/LocalHttpServer.h"
#include "support/SimMachine.h"

using namespace stowly;
using namespace stowly::test;
using Texts = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

std::string Question(const std::string& offered) {
    return "A new version of Stowly is available. Do you wish to visit the Orvenko download page?\r\n\r\n"
           "Your current version: " + VersionText() + "\r\nNew version available for download: " + offered + "\r\n";
}

} // namespace

TEST_CASE("Help starts the viewer of the Windows folder on the quoted help file and does not wait") {
    SimMachine m;
    m.os.windowsFolder = "D:\\WINNT";
    RunHelp(m.os, m.ui, "C:\\PROGRAM FILES\\STOWLY\\");
    CHECK(m.os.startedPrograms == Texts{"\"D:\\WINNT\\hh.exe\" \"C:\\PROGRAM FILES\\STOWLY\\stowly.chm\""});
    m.os.programsStart = false;
    RunHelp(m.os, m.ui, "C:\\PROGRAM FILES\\STOWLY\\");
    CHECK(m.ui.MessageTexts() == Texts{"The help viewer could not be started."});
}

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
             Case{"\r\n  StOwLy  ,4.2.0,Note\r\n", {"Note", Question("4.2.0")}},
             Case{"\r\nStowly,4.0.0,Same\r\n", {"Same"}},
             // no record of this product: at most the first-line notice
             Case{"All\r\nStowly2,9.0.0,Not us\r\n", {"All"}},
             Case{"All\r\n\r\nOther,1.0,x\r\n  \r\nStowly,4.0.0,Hi\r\n\r\n", {"All", "Hi"}}, // blank lines between
             // not a version page: nothing at all, not even the notice
             Case{"Only a notice", {}}, Case{"", {}}, Case{"All\r\nOther,1.0.0", {}},
             Case{"<html>\r\nStowly,5.0.0,x\r\n", {}},
             Case{"All\r\nStowly,5.0.0,x,extra\r\n", {}},
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
        SimMachine m;
        DisplayProductUpdateMessage(m.os, m.ui, c.page);
        CHECK(m.ui.MessageTexts() == c.shown);
        for (const auto& s : m.ui.shown) CHECK((s.title == "Stowly" && (s.text != Question("5.0.0") || s.buttons == MsgButtons::YesNo)));
    }
}

TEST_CASE("The check through the local server: only the page speaks, Yes opens the web site, no file, no long wait") {
    struct Case { int status; Reply reply; Texts shown; };
    for (const Case& c : {Case{200, Reply::Answer, {"All", "Hi", Question("5.0.0")}}, Case{404, Reply::Answer, {}},
                          Case{301, Reply::Answer, {}}, Case{200, Reply::Silent, {}}}) {
        CAPTURE(c.status);
        SimMachine m;
        const auto files = [&] { return std::ranges::distance(fs::recursive_directory_iterator(m.os.Root())); };
        const auto before = files();
        for (Answer a : {Answer::Ok, Answer::Ok, Answer::Yes}) m.ui.Push(a);
        // A page far longer than what is read: the client stops after the first 4 KiB.
        const std::string page = "All\r\nStowly,5.0.0,Hi\r\n" + std::string(10 << 20, 'x');
        LocalHttpServer server({{"/p", {c.status, page, c.reply}}});
        const long long ms = MillisecondsOf([&] { CheckForUpdates(m.os, m.ui, server.Url("/p")); });
        CHECK((m.ui.MessageTexts() == c.shown && files() == before));
        CHECK(m.os.openedUrls == (c.shown.empty() ? Texts{} : Texts{kWebSiteUrl}));
        CHECK(ms < 2 * kUpdateTotalTimeoutMs);
        if (c.reply == Reply::Silent) CHECK(ms >= 1000); // it did wait on the server
    }
}

TEST_CASE("HostHttpGet: the body byte for byte up to the bytes asked, no redirect, status 0 within its time-out") {
    std::string big;
    for (int i = 0; i < 200000; ++i) big += static_cast<char>(i * 7 % 256);
    LocalHttpServer server({{"/big", {200, big}}, {"/gone", {404, "no such page"}},
                            {"/moved", {302, "", Reply::Answer, "Location: /big\r\n"}},
                            {"/silent", {200, "", Reply::Silent}}, {"/slow", {200, "", Reply::Trickle}}});
    struct Case { std::string url; int status; std::string body; size_t most = 1 << 20; };
    const auto url = [&](const char* path) { return server.Url(path); };
    for (const Case& c : {Case{url("/big"), 200, big}, Case{url("/gone"), 404, "no such page"},
                          Case{url("/missing"), 404, "Not Found"}, Case{url("/moved"), 302, ""},
                          Case{url("/big"), 200, "", 0}, Case{url("/big"), 200, big.substr(0, 5000), 5000},
                          Case{LocalHttpServer({}).Url("/p"), 0, ""} /* nothing listens there now */, Case{"", 0, ""}, Case{"ftp://127.0.0.1/p", 0, ""},
                          Case{"http://", 0, ""}, Case{url("/silent"), 0, ""}, Case{url("/slow"), 0, ""}}) {
        CAPTURE(c.url);
        HttpResult r;
        const long long ms = MillisecondsOf([&] { r = HostHttpGet(c.url, 500, 1000, c.most); });
        CHECK((r.status == c.status && r.body == c.body && ms < 1000 + 1500));
        if (c.url.starts_with(server.Url("/s"))) CHECK(ms >= 900); // it did wait on the server
    }
}
