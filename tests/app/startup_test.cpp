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

TEST_CASE("Windows version names; 95, 98 and ME are refused by name before anything is read") {
    struct Row { OsVersionInfo v; const char* name; bool refused; };
    const Row rows[] = {{{true, 1, 4, 0}, "Windows 95", true},        {{true, 1, 4, 10}, "Windows 98", true},
                        {{true, 1, 4, 90}, "Windows ME", true},       {{true, 1, 4, 3}, "", false},
                        {{true, 2, 3, 51}, "Windows NT 3.51", false}, {{true, 2, 4, 0}, "Windows NT 4.0", false},
                        {{true, 2, 5, 0}, "Windows 2000", false},     {{true, 2, 5, 1}, "Windows 2000", false}, // XP
                        {{true, 2, 6, 1}, "", false},                 {{true, 2, 10, 0}, "", false},
                        {{true, 0, 10, 0}, "Failed", false},          {{false, 2, 10, 0}, "Failed", false}};
    for (const Row& r : rows) {
        CAPTURE(r.v.platformId);
        CAPTURE(r.v.minor);
        CHECK(OSNameFor(r.v, "") == r.name);
        Machine m;
        m.os.version = r.v;
        CHECK(StartUp(m.ctx) == !r.refused);
        CHECK(m.ui.MessageTexts() ==
              (r.refused ? Texts{"Sorry, but " + std::string(r.name) + " is not supported."} : Texts{}));
        CHECK(m.st.UserDesktopFolder.empty() == r.refused);
    }
    CHECK(OSNameFor({true, 2, 6, 0}, "Windows 2000") == "Windows 2000");
}

TEST_CASE("The desktop-folder rule needs a folder named desktop, in any case") {
    const std::pair<const char*, bool> rows[] = {
        {"C:\\Users\\Ann\\Desktop\\Tools\\stowly.exe", true}, {"c:\\users\\ann\\desktop\\tools\\stowly.exe", true},
        {"D:\\DeskTop\\stowly.exe", true},                     {"C:\\Users\\Ann\\Desktops\\stowly.exe", false},
        {"C:\\Users\\Ann\\MyDesktop\\stowly.exe", false},      {"C:\\Desktop Tools\\stowly.exe", false},
        {"C:\\Program Files\\Stowly\\desktop.exe", false}};
    const Texts refused{"Sorry, but you cannot run this program from the desktop.  Please reinstall."};
    for (const auto& [exe, stops] : rows) {
        CAPTURE(exe);
        Machine m;
        m.os.executablePath = exe;
        CHECK(StartUp(m.ctx) == !stops);
        CHECK(m.ui.MessageTexts() == (stops ? refused : Texts{}));
        if (stops) CHECK(m.ui.shown[0].icon == MsgIcon::Critical);
        CHECK(m.st.ScreenSizeText.empty() == stops); // stopped before the screen and the settings
    }
}

TEST_CASE("ProgramFolder is upper case with its trailing backslash, however long; the screen as text") {
    CHECK(ProgramFolderOf("C:\\stowly.exe") == "C:\\");
    std::string deep = "c:\\Program Files", upper = "C:\\PROGRAM FILES";
    while (deep.size() < 200) deep += "\\Long folder name", upper += "\\LONG FOLDER NAME";
    Machine m;
    m.os.executablePath = deep + "\\stowly.exe";
    REQUIRE(StartUp(m.ctx));
    CHECK(m.st.ProgramFolder == upper + "\\");
    CHECK(m.st.ScreenSizeText == " 1024 * 768   32 bit");
    CHECK(m.ui.shown.empty());
}

TEST_CASE("A second copy ends silently before anything is read") {
    Machine m;
    m.os.anotherCopyRunning = true;
    CHECK_FALSE(StartUp(m.ctx));
    CHECK(m.ui.shown.empty());
    CHECK(m.st.OSName.empty());
}

TEST_CASE("ReportError texts; a failure inside Main is reported as Main") {
    CHECK(ErrorReportText(76, "CleanDesktop") ==
          "This User can no longer read/write to the network or the Windows folder."
          "Please check the access rights and the network connections.\rError Number:10576 from module CleanDesktop");
    CHECK(ErrorReportText(75, "X").rfind("This User can no longer", 0) == 0);
    test::TestDir dir;
    ScreenFails os{dir.path()};
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
    ui.busy = true;
    CHECK_FALSE(StartUp(ctx));
    CHECK(ui.MessageTexts() == Texts{"Please contact Orvenko, Inc..\rError Number:1057 from module Main"});
    CHECK(ui.shown[0].title == "Error");
    CHECK_FALSE(ui.busy);
}
