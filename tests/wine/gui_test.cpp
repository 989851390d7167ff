// The main window of the real stowly.exe on the stand-in desktop: start, Clean and
// Restore with the wallpaper swap, Exit; the notification area. Its screenshots are
// the help's (tools/help-shots.sh) and the README's.
#include "WineHarness.h"
#include "closet/Wallpaper.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

bool Shown(HWND h) { return IsWindowVisible(h) != FALSE; }

int EnabledButtons(HWND main) {
    int n = 0;
    for (const wchar_t* name : {L"Clean Desktop", L"Restore Desktop", L"Icon Positions", L"Preferences", L"Help",
                                L"About", L"Exit"})
        n += IsWindowEnabled(FindChild(main, name)) != FALSE;
    return n;
}

// Presses `button`; the progress window offers OK only with `final`, and the seven
// buttons come back once it is pressed.
void Run(const App& app, const wchar_t* button, const std::wstring& final, const char* shot = nullptr) {
    REQUIRE(Click(FindChild(app.main, button)));
    HWND wait = nullptr;
    REQUIRE(WaitFor([&] { return (wait = FindWindowWithChild(app.pid(), L"OK")) != nullptr; }));
    HWND ok = FindChild(wait, L"OK");
    bool okEarly = false;
    REQUIRE(WaitFor([&] {
        const bool pressable = Shown(ok) && IsWindowEnabled(ok), done = FindChild(wait, final) != nullptr;
        okEarly |= pressable && !done;
        return pressable && done;
    }, 30000));
    CHECK_FALSE(okEarly);
    CHECK(EnabledButtons(app.main) == 0);
    if (shot) Shot(shot, {app.main});
    REQUIRE(Click(ok));
    CHECK(WaitFor([&] { return !IsWindow(wait) && EnabledButtons(app.main) == 7; }));
    CHECK(MessageBoxes(app.pid()).empty());
}

bool TrayIconPresent(HWND main) {
    NOTIFYICONDATAW nid{sizeof nid, main, kTrayId, NIF_TIP};
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE; // fails for an icon that is not there
}

} // namespace

TEST_CASE("Splash, then the main window (a second copy ends silently); Clean and Restore bring back every item, "
          "content, place and the wallpaper; Exit ends") {
    EmptyDesktops desktops;
    std::ofstream(desktops.user() / L"Shopping list.txt", std::ios::binary) << "milk\r\n";
    fs::create_directories(desktops.user() / L"Holiday \u03a3\u03c7\u03ad\u03b4\u03b9\u03bf");
    std::ofstream(desktops.user() / L"Holiday \u03a3\u03c7\u03ad\u03b4\u03b9\u03bf" / L"beach.txt") << "photo";
    std::ofstream(desktops.user() / L"desktop.ini") << "hidden";
    SetFileAttributesW((desktops.user() / L"desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    std::ofstream(desktops.common() / L"Shared notes.txt", std::ios::binary) << "shared\r\n";
    const Tree user = Contents(desktops.user()), common = Contents(desktops.common());
    StandinDesktop standin;
    REQUIRE(standin.Start());
    Win32Platform os;
    REQUIRE(WaitFor([&] { return Icons(os).size() == 4; }));
    const Places before = Arrange(os, 2); // places no new item is given: only a restore puts them there
    test::TestDir pictures;
    const std::string picture = pictures.path().string() + "\\beach.bmp", clean = pictures.path().string() + "\\c.bmp";
    const std::string beach = test::OnePixelBitmap(0x30, 0x90, 0xD0);
    REQUIRE(os.WriteFile(picture, beach) + os.WriteFile(clean, test::OnePixelBitmap(0xF0, 0xF0, 0xF0)) == 0);
    REQUIRE(SetWallpaper(os, picture, 2));
    const auto wallpaper = [&] { // as the registry holds it: this process's own view may lag
        RegData path;
        os.RegRead(RegRoot::CurrentUser, "Control Panel\\Desktop", "Wallpaper", path);
        return std::get<std::string>(path) + " " + ReadCurrentWallpaper(os).style;
    };

    App app("[PREFS]\r\nDefaultWindowsBackground=" + clean + "\r\nWallPaperStyle= 1\r\n", Wait::No);
    std::vector<HWND> splash;
    REQUIRE(WaitFor([&] { return !(splash = VisibleOfClass(app.pid(), L"StowlySplash")).empty(); }, 20000));
    Program second;
    REQUIRE(second.Start(app.copy.exe));
    bool secondShowed = false;
    CHECK(WaitFor([&] { return (secondShowed |= !TopWindows(second.pid(), Shown).empty()), second.WaitEnd(0); }));
    CHECK_FALSE(secondShowed);
    REQUIRE(WaitFor([&] { return !Shown(splash[0]); }, 15000));
    REQUIRE((app.main = WaitMainWindow(app.program, true)));
    Shot("main-window.png", {app.main});
    for (const wchar_t* name : {L"Clean Desktop", L"Restore Desktop"}) { // the pointer arrives as a person's would
        REQUIRE(MoveMouseOver(FindChild(app.main, name)));
        Sleep(300);
    }
    Shot("main-window-highlighted.png", {app.main});
    Run(app, L"Clean Desktop", L"Your Desktop has been cleaned.", "progress-window.png");
    CHECK(Contents(desktops.user()) == Tree{{L"desktop.ini", "hidden"}}); // hidden items stay
    CHECK(fs::is_empty(desktops.common()));
    CHECK(wallpaper() == clean + " 1");
    const std::string key = os.ReadFile(Narrow((kProgramFolder / L"QuickClean.qvr").wstring()), nullptr).value_or("");
    for (const auto& [name, xy] : before) {
        CAPTURE(name);
        CHECK(key.find("\"" + name + "\"," + std::to_string(xy.first) + "," + std::to_string(xy.second) + "\r\n") !=
              std::string::npos);
    }
    REQUIRE(DeleteFileW(Widen(picture).c_str())); // gone meanwhile: the backup brings it back
    Run(app, L"Restore Desktop", L"Your Icons have been restored.");
    CHECK(Contents(desktops.user()) == user);
    CHECK(Contents(desktops.common()) == common);
    CHECK(Icons(os) == before);
    CHECK(wallpaper() == picture + " 2");
    CHECK(os.ReadFile(picture, nullptr) == beach);
    os.SetWallpaper("");
    REQUIRE(Click(FindChild(app.main, L"Exit"))); // without MinSystemTray, Exit ends the program
    CHECK(app.program.WaitEnd(5000));
}

TEST_CASE("With MinSystemTray on: the program starts in the notification area, Exit hides, the menu's Exit ends") {
    EmptyDesktops desktops;
    StandinDesktop standin;
    REQUIRE(standin.Start());
    App app("[PREFS]\r\nMinSystemTray= 1\r\n", Wait::Made);
    Sleep(500);
    CHECK(TopWindows(app.pid(), Shown).empty());
    CHECK(TrayIconPresent(app.main));
    PostMessageW(app.main, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    REQUIRE(WaitFor([&] { return Shown(app.main); }));
    REQUIRE(Click(FindChild(app.main, L"Exit")));
    CHECK(WaitFor([&] { return !Shown(app.main); }));
    CHECK(TrayIconPresent(app.main)); // and the program runs on
    // While any copy cleans or restores (its lock is held here), Exit is greyed.
    {
        KernelHandle lock(CreateMutexW(nullptr, FALSE, L"Local\\Stowly.Operation"));
        HWND menu = app.TrayMenu();
        Sleep(500); // until the menu takes keys
        PostKeys(menu, {VK_UP, VK_RETURN});
        CHECK_FALSE(app.program.WaitEnd(1000));
        PostKeys(menu, {VK_ESCAPE});
        CHECK(WaitFor([&] { return VisibleOfClass(app.pid(), L"#32768").empty(); }));
    }
    // A right click while hidden opens the menu; its last item, Exit, ends the program.
    HWND menu = app.TrayMenu();
    Shot("tray-menu.png", {menu});
    PostKeys(menu, {VK_UP, VK_RETURN});
    CHECK(app.program.WaitEnd(5000));
    CHECK_FALSE(TrayIconPresent(app.main));
}
