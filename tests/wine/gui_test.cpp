// The real stowly.exe driven from outside, as a person uses it, on the stand-in
// desktop: Clean and Restore through the main window and the progress window, and
// life in the notification area. Screenshots go to <build>/screenshots.
#include <doctest/doctest.h>
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/win32/Win32Platform.h"
#include "WineHarness.h"

using namespace stowly;
using namespace stowly::wine;
namespace fs = std::filesystem;

namespace {

const std::wstring kTitle = L"Stowly\u2122 - Version: 4.0.0";
const wchar_t* const kSevenButtons[] = {L"Clean Desktop", L"Restore Desktop", L"Icon Positions", L"Preferences",
                                        L"Help", L"About", L"Exit"};
// The program's notification-area callback and icon number.
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kTrayId = 1;

// The program installed as a person would have it, in a folder of its own.
const fs::path kProgramFolder = L"C:\\Program Files\\Stowly";

fs::path Install(const std::string& ini) {
    std::error_code ec;
    fs::remove_all(kProgramFolder, ec);
    fs::create_directories(kProgramFolder);
    fs::copy_file(BuildPath("stowly.exe"), kProgramFolder / L"stowly.exe");
    if (!ini.empty()) std::ofstream(kProgramFolder / L"stowly.ini", std::ios::binary) << ini;
    return kProgramFolder / L"stowly.exe";
}

void Shot(const std::string& name) {
    fs::create_directories(BuildPath("screenshots"));
    CHECK_MESSAGE(guidriver::Screenshot(BuildDirUnix() + "/screenshots/" + name), name);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The stand-in desktop's icons by name, read the way the program reads them.
std::map<std::string, std::pair<int, int>> Icons(Win32Platform& os) {
    std::map<std::string, std::pair<int, int>> icons;
    for (const auto& item : os.ReadDesktopItems().value_or(std::vector<DesktopItem>{}))
        icons[item.name] = {item.x, item.y};
    return icons;
}

bool Enabled(HWND main, const wchar_t* text) {
    HWND h = guidriver::FindChild(main, text);
    return h && IsWindowEnabled(h);
}

// Shows the main window, as the person would with their mouse, and waits for it.
HWND StartStowly(Program& stowly, const fs::path& exe, bool visible) {
    REQUIRE(stowly.Start(exe));
    HWND main = nullptr;
    // Start-up shows the splash for three seconds and may wait for the update check.
    REQUIRE(guidriver::WaitFor([&] { return (main = guidriver::FindWindowByTitle(stowly.pid(), kTitle)) != nullptr; },
                               30000));
    if (visible) REQUIRE(guidriver::WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    return main;
}

// Waits for the progress window to show `final` with OK, checking on the way that
// OK never shows with another message; returns the window.
HWND WaitForDone(DWORD pid, const std::wstring& opening, const std::wstring& final) {
    HWND wait = nullptr;
    REQUIRE(guidriver::WaitFor([&] {
        return (wait = guidriver::FindWindowWithChild(pid, opening)) || (wait = guidriver::FindWindowWithChild(pid, final));
    }));
    HWND ok = guidriver::FindChild(wait, L"OK");
    REQUIRE(ok);
    bool okEarly = false;
    REQUIRE(guidriver::WaitFor([&] {
        // OK first: once it can be pressed the final message is already up.
        const bool pressable = IsWindowVisible(ok) && IsWindowEnabled(ok);
        const bool finalShown = guidriver::FindChild(wait, final) != nullptr;
        okEarly |= pressable && !finalShown;
        return pressable && finalShown;
    }));
    CHECK_FALSE(okEarly);
    CHECK((GetWindowLongW(wait, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    return wait;
}

void PressOK(DWORD pid, HWND wait, HWND main) {
    REQUIRE(guidriver::Click(guidriver::FindChild(wait, L"OK")));
    CHECK(guidriver::WaitFor([&] { return !IsWindow(wait); }));
    for (const wchar_t* name : kSevenButtons) {
        CAPTURE(Narrow(name));
        CHECK(Enabled(main, name));
    }
    CHECK(guidriver::MessageBoxes(pid).empty());
}

bool TrayIconPresent(HWND main) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = main;
    nid.uID = kTrayId;
    nid.uFlags = NIF_TIP;
    lstrcpynW(nid.szTip, L"Stowly", ARRAYSIZE(nid.szTip));
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE; // fails for an icon that is not there
}

bool PopupMenuShown(DWORD pid) { return !guidriver::VisibleOfClass(pid, L"#32768").empty(); }

} // namespace

TEST_CASE("Clean Desktop and Restore Desktop from the main window, with the progress window") {
    EmptyDesktops desktops;
    std::ofstream(desktops.user() / L"Shopping list.txt", std::ios::binary) << "milk\r\n";
    std::ofstream(desktops.user() / L"Report 2026.txt", std::ios::binary) << "figures\r\n";
    fs::create_directories(desktops.user() / L"Holiday photos");
    std::ofstream(desktops.user() / L"Holiday photos" / L"beach.txt", std::ios::binary) << "photo\r\n";
    std::ofstream(desktops.common() / L"Shared notes.txt", std::ios::binary) << "shared\r\n";

    StandinDesktop standin;
    REQUIRE(standin.Start());
    Win32Platform os;
    REQUIRE(guidriver::WaitFor([&] { return Icons(os).size() == 5; }));
    // Places no new item would be given, so that only a restore puts them there.
    const auto listed = os.ReadDesktopItems().value();
    for (size_t i = 0; i < listed.size(); ++i)
        if (listed[i].name != "Recycle Bin")
            os.SetDesktopItemPosition(static_cast<int>(i), static_cast<int16_t>(310 + 97 * i),
                                      static_cast<int16_t>(140 + 53 * i));
    const auto before = Icons(os);

    Program stowly;
    HWND main = StartStowly(stowly, Install(""), true);
    Shot("main-window.png");
    // The pointer arrives from the picture above, as a person's would.
    for (const wchar_t* name : {L"Clean Desktop", L"Restore Desktop"}) {
        REQUIRE(guidriver::MoveMouseOver(guidriver::FindChild(main, name)));
        Sleep(300);
    }
    Shot("main-window-highlighted.png");
    guidriver::MoveMouseOver(guidriver::FindChild(main, L"Help"));

    REQUIRE(guidriver::Click(guidriver::FindChild(main, L"Clean Desktop")));
    REQUIRE(guidriver::WaitFor([&] { return !Enabled(main, L"Clean Desktop"); }));
    HWND wait = WaitForDone(stowly.pid(), L"Please wait cleaning desktop...", L"Your Desktop has been cleaned.");
    Shot("progress-window.png");
    for (const wchar_t* name : kSevenButtons) CHECK_FALSE(Enabled(main, name));
    PressOK(stowly.pid(), wait, main);

    CHECK(fs::is_empty(desktops.user()));
    CHECK(fs::is_empty(desktops.common()));
    const std::string key = ReadAll(kProgramFolder / L"QuickClean.qvr");
    for (const auto& [name, xy] : before) {
        CAPTURE(name);
        CHECK(key.find("\"" + name + "\"," + std::to_string(xy.first) + "," + std::to_string(xy.second) + "\r\n") !=
              std::string::npos);
    }

    REQUIRE(guidriver::Click(guidriver::FindChild(main, L"Restore Desktop")));
    wait = WaitForDone(stowly.pid(), L"Please wait restoring desktop...", L"Your Icons have been restored.");
    CHECK_FALSE(IsWindowVisible(guidriver::FindChild(wait, L"Cleaning File:")));
    PressOK(stowly.pid(), wait, main);

    CHECK(ReadAll(desktops.user() / L"Shopping list.txt") == "milk\r\n");
    CHECK(ReadAll(desktops.user() / L"Holiday photos" / L"beach.txt") == "photo\r\n");
    CHECK(ReadAll(desktops.common() / L"Shared notes.txt") == "shared\r\n");
    CHECK(Icons(os) == before);

    // Exit without MinSystemTray ends the program.
    REQUIRE(guidriver::Click(guidriver::FindChild(main, L"Exit")));
    CHECK(stowly.WaitEnd(5000));
}

TEST_CASE("With MinSystemTray on: the program starts in the notification area, Exit hides, the menu's Exit ends") {
    EmptyDesktops desktops;
    StandinDesktop standin;
    REQUIRE(standin.Start());
    Program stowly;
    HWND main = StartStowly(stowly, Install("[PREFS]\r\nMinSystemTray= 1\r\n"), false);
    Sleep(500);
    CHECK_FALSE(IsWindowVisible(main));
    CHECK(guidriver::TopWindows(stowly.pid(), [](HWND h) { return IsWindowVisible(h) != FALSE; }).empty());
    CHECK(TrayIconPresent(main));

    // A double click on the icon shows the window; while it shows, a right click does nothing.
    PostMessageW(main, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    REQUIRE(guidriver::WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    PostMessageW(main, kTrayMessage, kTrayId, WM_RBUTTONDOWN);
    CHECK_FALSE(guidriver::WaitFor([&] { return PopupMenuShown(stowly.pid()); }, 500));

    // Exit hides, twice, and the icon stays.
    for (int round = 0; round < 2; ++round) {
        CAPTURE(round);
        REQUIRE(guidriver::Click(guidriver::FindChild(main, L"Exit")));
        CHECK(guidriver::WaitFor([&] { return !IsWindowVisible(main); }));
        CHECK(stowly.Running());
        CHECK(TrayIconPresent(main));
        if (round == 0) {
            PostMessageW(main, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
            REQUIRE(guidriver::WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
        }
    }

    // A right click while hidden opens the menu; its last item, Exit, ends the program.
    PostMessageW(main, kTrayMessage, kTrayId, WM_RBUTTONDOWN);
    REQUIRE(guidriver::WaitFor([&] { return PopupMenuShown(stowly.pid()); }));
    Shot("tray-menu.png");
    guidriver::PostKeys(guidriver::VisibleOfClass(stowly.pid(), L"#32768").front(), {VK_UP, VK_RETURN});
    CHECK(stowly.WaitEnd(5000));
    CHECK_FALSE(TrayIconPresent(main));
}
