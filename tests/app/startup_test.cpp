#include <doctest/doctest.h>

#include "app/Startup.h"
#include "core/Error.h"
#include "core/ReportError.h"
#include "support/SimMachine.h"

using namespace stowly;
using Texts = std::vector<std::string>;

namespace {

struct Machine : test::SimMachine {
    Machine() { os.http = [](const std::string&, unsigned, unsigned) { return HttpResult{}; }; }
};

struct ScreenFails : SimPlatform {
    using SimPlatform::SimPlatform;
    ScreenInfo Screen() override { throw RuntimeError(7); }
};

} // namespace

TEST_CASE("Windows 95, 98 and ME are refused by name before anything is read; other versions start") {
    struct Row { OsVersionInfo v; const char* name; bool refused; };
    const Row rows[] = {{{true, 1, 4, 0}, "Windows 95", true}, {{true, 1, 4, 10}, "Windows 98", true},
                        {{true, 1, 4, 90}, "Windows ME", true}, {{true, 1, 4, 3}, "", false},
                        {{true, 2, 10, 0}, "", false},          {{false, 2, 10, 0}, "Failed", false}};
    for (const Row& r : rows) {
        CAPTURE(r.v.minor);
        CHECK(OSNameFor(r.v, "") == r.name);
        Machine m;
        m.os.version = r.v;
        CHECK(StartUp(m.ctx) == !r.refused);
        CHECK(m.ui.MessageTexts() == (r.refused ? Texts{"Sorry, but " + std::string(r.name) + " is not supported."} : Texts{}));
        CHECK(m.st.UserDesktopFolder.empty() == r.refused);
    }
}

TEST_CASE("The program may not run from either desktop folder or inside one, wherever the folder lives") {
    struct Row { std::string exe, userDesktop; bool stops; };
    const Row rows[] = {
        {"C:\\Users\\Sim\\Desktop\\Tools\\stowly.exe", "C:\\Users\\Sim\\Desktop", true},
        {"c:\\users\\sim\\desktop\\stowly.exe", "C:\\Users\\Sim\\Desktop", true}, // the folder itself, any case
        {"C:\\Users\\Public\\Desktop\\Shared\\stowly.exe", "C:\\Users\\Sim\\Desktop", true},
        {"D:\\Moved\\Tools\\stowly.exe", "D:\\Moved", true},          // a relocated desktop
        {"C:\\Users\\Sim\\Desktop2\\stowly.exe", "C:\\Users\\Sim\\Desktop", false},
        {"C:\\Users\\Ann\\Desktop\\stowly.exe", "C:\\Users\\Sim\\Desktop", false}, // not this user's
        {"C:\\Users\\Sim\\Desktop\\stowly.exe", "D:\\Moved", false}, // the desktop moved away
        {"C:\\Program Files\\Stowly\\stowly.exe", "C:\\Users\\Sim\\Desktop", false}};
    const Texts refused{"Sorry, but you cannot run this program from the desktop.  Please reinstall."};
    for (const Row& r : rows) {
        CAPTURE(r.exe);
        const bool stops = r.stops;
        Machine m;
        m.os.executablePath = r.exe;
        m.os.userDesktop = r.userDesktop;
        CHECK(StartUp(m.ctx) == !stops);
        CHECK(m.ui.MessageTexts() == (stops ? refused : Texts{}));
        if (stops) CHECK(m.ui.shown[0].icon == MsgIcon::Critical);
        CHECK(m.st.ScreenSizeText.empty() == stops); // stopped before the screen and the settings
    }
}

TEST_CASE("ProgramFolder is upper case with its trailing backslash; the screen as text") {
    CHECK(ProgramFolderOf("C:\\stowly.exe") == "C:\\");
    Machine m;
    m.os.executablePath = "c:\\Program Files\\Long folder name\\stowly.exe";
    REQUIRE(StartUp(m.ctx));
    CHECK(m.st.ProgramFolder == "C:\\PROGRAM FILES\\LONG FOLDER NAME\\");
    CHECK((m.st.ScreenSizeText == " 1024 * 768   32 bit" && m.ui.shown.empty()));
}

TEST_CASE("A second copy ends silently before anything is read") {
    Machine m;
    m.os.anotherCopyRunning = true;
    CHECK_FALSE(StartUp(m.ctx));
    CHECK((m.ui.shown.empty() && m.st.OSName.empty()));
}

TEST_CASE("A failure inside Main is reported as Main, and the busy cursor goes") {
    test::TestDir dir;
    ScreenFails os{dir.path()};
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    ui.busy = true;
    CHECK_FALSE(StartUp(ctx));
    CHECK(ui.MessageTexts() == Texts{"Please contact Orvenko, Inc..\rError Number:1057 from module Main"});
    CHECK((ui.shown[0].title == "Error" && !ui.busy));
}
