#include <doctest/doctest.h>

#include <cctype>
#include <functional>

#include "app/ReportError.h"
#include "app/Startup.h"
#include "platform/Errors.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestDir.h"

using namespace stowly;

namespace {

// The simulated machine, noting which operations start-up asked for.
class RecordingSim : public SimPlatform {
public:
    using SimPlatform::SimPlatform;
    std::vector<std::string> calls;
    std::function<void()> onScreen; // may throw, to reach Main's failure path

    std::string SpecialFolder(int csidl) override {
        calls.push_back("SpecialFolder " + std::to_string(csidl));
        return SimPlatform::SpecialFolder(csidl);
    }
    ScreenInfo Screen() override {
        calls.push_back("Screen");
        if (onScreen) onScreen();
        return SimPlatform::Screen();
    }
    std::optional<std::string> ReadFile(const std::string& path, int* error) override {
        calls.push_back("ReadFile " + path);
        return SimPlatform::ReadFile(path, error);
    }
    std::string GetWallpaper() override {
        calls.push_back("GetWallpaper");
        return SimPlatform::GetWallpaper();
    }
    HttpResult HttpGet(const std::string& url, unsigned, unsigned) override {
        calls.push_back("HttpGet " + url);
        return {}; // no network in tests
    }
};

struct Machine {
    test::TestDir dir;
    RecordingSim os{dir.path()};
    ScriptedUi ui;
    AppState st;
    Context ctx{os, ui, st};
};

} // namespace

TEST_CASE("OSName by platform, major and minor version") {
    struct Row {
        OsVersionInfo v;
        const char* name;
    };
    const Row rows[] = {
        {{true, 1, 4, 0}, "Windows 95"},
        {{true, 1, 4, 10}, "Windows 98"},
        {{true, 1, 4, 90}, "Windows ME"},
        {{true, 1, 4, 3}, ""},
        {{true, 2, 3, 51}, "Windows NT 3.51"},
        {{true, 2, 4, 0}, "Windows NT 4.0"},
        {{true, 2, 5, 0}, "Windows 2000"},
        {{true, 2, 5, 1}, "Windows 2000"}, // XP
        {{true, 2, 5, 2}, "Windows 2000"}, // Server 2003
        {{true, 2, 6, 1}, ""},             // 7
        {{true, 2, 10, 0}, ""},            // 10 and 11
        {{true, 0, 10, 0}, "Failed"},
        {{true, 3, 10, 0}, "Failed"},
        {{false, 2, 10, 0}, "Failed"},
    };
    for (const Row& r : rows) {
        CAPTURE(r.v.platformId);
        CAPTURE(r.v.major);
        CAPTURE(r.v.minor);
        CHECK(OSNameFor(r.v, "") == r.name);
    }
    // An unknown version of a known family keeps what was there.
    CHECK(OSNameFor({true, 2, 6, 0}, "Windows 2000") == "Windows 2000");
}

TEST_CASE("The desktop-folder rule needs a folder named desktop, in any case") {
    struct Row {
        const char* exe;
        bool stops;
    };
    const Row rows[] = {
        {"C:\\Users\\Ann\\Desktop\\Tools\\stowly.exe", true},
        {"c:\\users\\ann\\desktop\\tools\\stowly.exe", true},
        {"C:\\Users\\Ann\\DeskTop\\stowly.exe", true},
        {"D:\\Desktop\\stowly.exe", true},
        {"C:\\Users\\Ann\\Desktops\\stowly.exe", false},
        {"C:\\Users\\Ann\\MyDesktop\\stowly.exe", false},
        {"C:\\Desktop Tools\\stowly.exe", false},
        {"C:\\Program Files\\Stowly\\stowly.exe", false},
        {"C:\\Program Files\\Stowly\\desktop.exe", false},
    };
    for (const Row& r : rows) {
        CAPTURE(r.exe);
        CHECK(IsInDesktopFolder(ProgramFolderOf(r.exe)) == r.stops);

        Machine m;
        m.os.executablePath = r.exe;
        CHECK(StartUp(m.ctx) == !r.stops);
        if (r.stops) {
            REQUIRE(m.ui.shown.size() == 1);
            CHECK(m.ui.shown[0].text ==
                  "Sorry, but you cannot run this program from the desktop.  Please reinstall.");
            CHECK(m.ui.shown[0].title == "Stowly");
            CHECK(m.ui.shown[0].icon == MsgIcon::Critical);
            CHECK(m.ui.shown[0].buttons == MsgButtons::Ok);
            // Stopped before the wallpaper, the screen and the settings file.
            CHECK(m.os.calls == std::vector<std::string>{"SpecialFolder 16", "SpecialFolder 25"});
        } else {
            CHECK(m.ui.shown.empty());
        }
    }
}

TEST_CASE("ProgramFolder is the upper-case folder with its trailing backslash, however long") {
    CHECK(ProgramFolderOf("c:\\program files\\stowly\\stowly.exe") == "C:\\PROGRAM FILES\\STOWLY\\");
    CHECK(ProgramFolderOf("C:\\stowly.exe") == "C:\\");
    CHECK(ProgramFolderOf("") == "");

    Machine m;
    std::string deep = "C:\\Program Files";
    while (deep.size() < 200) deep += "\\A rather long folder name";
    m.os.executablePath = deep + "\\stowly.exe";
    REQUIRE(StartUp(m.ctx));
    CHECK(m.st.ProgramFolder.size() > 128);
    std::string expected = deep + "\\";
    for (char& c : expected) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    CHECK(m.st.ProgramFolder == expected);
}

TEST_CASE("ScreenSizeText") {
    CHECK(ScreenSizeText({1024, 768, 32}) == " 1024 * 768   32 bit");
    CHECK(ScreenSizeText({800, 600, 16}) == " 800 * 600   16 bit");
}

TEST_CASE("A normal start fills the process-wide values and shows nothing") {
    Machine m;
    m.os.executablePath = "c:\\program files\\stowly\\stowly.exe";
    m.os.screen = {1280, 1024, 24};
    m.os.version = {true, 2, 5, 1};

    CHECK(StartUp(m.ctx));
    CHECK(m.ui.shown.empty());
    CHECK(m.st.OSName == "Windows 2000");
    CHECK(m.st.ProgramFolder == "C:\\PROGRAM FILES\\STOWLY\\");
    CHECK(m.st.UserDesktopFolder == m.os.userDesktop);
    CHECK(m.st.CommonDesktopFolder == m.os.commonDesktop);
    CHECK(m.st.ScreenSizeText == " 1280 * 1024   24 bit");
    // The user's desktop is asked for before the shared one.
    REQUIRE(m.os.calls.size() >= 2);
    CHECK(m.os.calls[0] == "SpecialFolder 16");
    CHECK(m.os.calls[1] == "SpecialFolder 25");
}

TEST_CASE("A second copy ends silently before anything is read") {
    Machine m;
    m.os.anotherCopyRunning = true;
    CHECK_FALSE(StartUp(m.ctx));
    CHECK(m.ui.shown.empty());
    CHECK(m.os.calls.empty());
    CHECK(m.st.OSName.empty());
    CHECK(m.st.ProgramFolder.empty());
}

TEST_CASE("Windows 95, 98 and ME are refused with their name; other names go on") {
    for (uint32_t minor : {0u, 10u, 90u}) {
        Machine m;
        m.os.version = {true, 1, 4, minor};
        CHECK_FALSE(StartUp(m.ctx));
        REQUIRE(m.ui.shown.size() == 1);
        CHECK(m.ui.shown[0].text == "Sorry, but " + m.st.OSName + " is not supported.");
        CHECK(m.ui.shown[0].title == "Stowly");
        CHECK(m.ui.shown[0].icon == MsgIcon::Exclamation);
        CHECK(m.os.calls.empty()); // no folder, wallpaper or settings file was touched
    }
    Machine m98;
    m98.os.version = {true, 1, 4, 10};
    StartUp(m98.ctx);
    CHECK(m98.ui.MessageTexts() == std::vector<std::string>{"Sorry, but Windows 98 is not supported."});

    for (OsVersionInfo v : {OsVersionInfo{true, 2, 4, 0}, OsVersionInfo{true, 7, 0, 0}, OsVersionInfo{false, 2, 10, 0}}) {
        Machine m;
        m.os.version = v;
        CHECK(StartUp(m.ctx));
        CHECK(m.ui.shown.empty());
    }
}

TEST_CASE("A failure inside Main is reported as Main and stops the start") {
    Machine m;
    m.os.onScreen = [] { throw RuntimeError(7); };
    CHECK_FALSE(StartUp(m.ctx));
    CHECK(m.ui.MessageTexts() == std::vector<std::string>{"Please contact Orvenko, Inc..\rError Number:1057 from module Main"});
    CHECK(m.st.ScreenSizeText.empty());
}

TEST_CASE("ReportError texts") {
    CHECK(ErrorReportText(76, "CleanDesktop") ==
          "This User can no longer read/write to the network or the Windows folder."
          "Please check the access rights and the network connections.\r"
          "Error Number:10576 from module CleanDesktop");
    CHECK(ErrorReportText(75, "X").rfind("This User can", 0) == 0);
    CHECK(ErrorReportText(53, "ReadINI") == "Please contact Orvenko, Inc..\rError Number:10553 from module ReadINI");

    ScriptedUi ui;
    ui.busy = true;
    ReportError(ui, 53, "ReadINI");
    CHECK_FALSE(ui.busy);
    REQUIRE(ui.shown.size() == 1);
    CHECK(ui.shown[0].title == "Error");
    CHECK(ui.shown[0].icon == MsgIcon::None);
    CHECK(ui.shown[0].buttons == MsgButtons::Ok);
}
