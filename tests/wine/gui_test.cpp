// The real stowly.exe started and driven from outside, as a person uses it, on the
// stand-in desktop. Screenshots go to <build>/screenshots (the help's pictures are
// taken from there: tools/help-shots.sh).
#include <doctest/doctest.h>
#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <map>

#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace stowly::wine;
using namespace guidriver;
namespace fs = std::filesystem;

namespace {

const wchar_t* const kButtons[] = {L"Clean Desktop", L"Restore Desktop", L"Icon Positions", L"Preferences",
                                   L"Help",          L"About",           L"Exit"};
// A folder of its own, so that the copy run by tools/run.sh keeps its settings.
const fs::path kProgramFolder = L"C:\\Program Files\\Stowly (test)";

bool Shown(HWND h) { return IsWindowVisible(h) != FALSE; }

int EnabledButtons(HWND main) {
    int n = 0;
    for (const wchar_t* name : kButtons) n += IsWindowEnabled(FindChild(main, name)) != FALSE;
    return n;
}

// Waits for the progress window to offer OK with `final` (never with another message),
// runs `atDone`, presses OK and waits for the seven buttons to come back.
void Finish(DWORD pid, HWND main, const std::wstring& opening, const std::wstring& final,
            const std::function<void()>& atDone = [] {}) {
    HWND wait = nullptr;
    REQUIRE(WaitFor([&] { return (wait = FindWindowWithChild(pid, opening)) ||
                                 (wait = FindWindowWithChild(pid, final)); }));
    HWND ok = FindChild(wait, L"OK");
    bool okEarly = false;
    REQUIRE(WaitFor([&] {
        const bool pressable = Shown(ok) && IsWindowEnabled(ok), done = FindChild(wait, final) != nullptr;
        okEarly |= pressable && !done;
        return pressable && done;
    }));
    CHECK_FALSE(okEarly);
    CHECK(EnabledButtons(main) == 0);
    atDone();
    REQUIRE(Click(ok));
    CHECK(WaitFor([&] { return !IsWindow(wait) && EnabledButtons(main) == 7; }));
    CHECK(MessageBoxes(pid).empty());
}

bool TrayIconPresent(HWND main) {
    NOTIFYICONDATAW nid{sizeof nid, main, kTrayId, NIF_TIP};
    lstrcpynW(nid.szTip, L"Stowly", ARRAYSIZE(nid.szTip));
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE; // fails for an icon that is not there
}

} // namespace

TEST_CASE("Splash, then the main window (a second copy ends silently); Clean Desktop, Restore Desktop, Exit") {
    EmptyDesktops desktops;
    std::ofstream(desktops.user() / L"Shopping list.txt", std::ios::binary) << "milk\r\n";
    fs::create_directories(desktops.user() / L"Holiday photos");
    std::ofstream(desktops.user() / L"Holiday photos" / L"beach.txt", std::ios::binary) << "photo\r\n";
    std::ofstream(desktops.common() / L"Shared notes.txt", std::ios::binary) << "shared\r\n";
    StandinDesktop standin;
    REQUIRE(standin.Start());
    Win32Platform os;
    REQUIRE(WaitFor([&] { return Icons(os).size() == 4; }));
    // Places no new item would be given, so that only a restore puts them there.
    const auto listed = os.ReadDesktopItems().value();
    for (size_t i = 0; i < listed.size(); ++i)
        if (listed[i].name != "Recycle Bin")
            os.SetDesktopItemPosition(static_cast<int>(i), static_cast<int16_t>(310 + 97 * i),
                                      static_cast<int16_t>(140 + 53 * i));
    const auto before = Icons(os);
    InstalledCopy copy(kProgramFolder);
    Program stowly, second;
    REQUIRE(stowly.Start(copy.exe));
    std::vector<HWND> splash;
    REQUIRE(WaitFor([&] { return !(splash = VisibleOfClass(stowly.pid(), L"StowlySplash")).empty(); }, 20000));
    REQUIRE(second.Start(copy.exe));
    bool secondShowed = false;
    CHECK(WaitFor([&] {
        secondShowed = secondShowed || !TopWindows(second.pid(), Shown).empty();
        return second.WaitEnd(0);
    }));
    CHECK_FALSE(secondShowed);
    REQUIRE(WaitFor([&] { return !Shown(splash[0]); }, 15000));
    HWND main = WaitMainWindow(stowly, true);
    REQUIRE(main);
    Shot("main-window.png", {main});
    for (const wchar_t* name : {L"Clean Desktop", L"Restore Desktop"}) { // the pointer arrives as a person's would
        REQUIRE(MoveMouseOver(FindChild(main, name)));
        Sleep(300);
    }
    Shot("main-window-highlighted.png", {main});
    REQUIRE(Click(FindChild(main, L"Clean Desktop")));
    Finish(stowly.pid(), main, L"Please wait cleaning desktop...", L"Your Desktop has been cleaned.",
           [&] { Shot("progress-window.png", {main}); });
    CHECK(fs::is_empty(desktops.user()));
    CHECK(fs::is_empty(desktops.common()));
    const std::string key = os.ReadFile(Narrow((kProgramFolder / L"QuickClean.qvr").wstring()), nullptr).value_or("");
    for (const auto& [name, xy] : before) {
        CAPTURE(name);
        const std::string line = "\"" + name + "\"," + std::to_string(xy.first) + "," + std::to_string(xy.second);
        CHECK(key.find(line + "\r\n") != std::string::npos);
    }
    REQUIRE(Click(FindChild(main, L"Restore Desktop")));
    Finish(stowly.pid(), main, L"Please wait restoring desktop...", L"Your Icons have been restored.");
    CHECK(os.ReadFile(desktops.userText() + "\\Holiday photos\\beach.txt", nullptr) == "photo\r\n");
    CHECK(os.ReadFile(desktops.commonText() + "\\Shared notes.txt", nullptr) == "shared\r\n");
    CHECK(Icons(os) == before);
    REQUIRE(Click(FindChild(main, L"Exit"))); // without MinSystemTray, Exit ends the program
    CHECK(stowly.WaitEnd(5000));
}

TEST_CASE("With MinSystemTray on: the program starts in the notification area, Exit hides, the menu's Exit ends") {
    EmptyDesktops desktops;
    StandinDesktop standin;
    REQUIRE(standin.Start());
    InstalledCopy copy(kProgramFolder, "[PREFS]\r\nMinSystemTray= 1\r\n");
    Program stowly;
    REQUIRE(stowly.Start(copy.exe));
    HWND main = WaitMainWindow(stowly);
    REQUIRE(main);
    Sleep(500);
    CHECK(TopWindows(stowly.pid(), Shown).empty());
    CHECK(TrayIconPresent(main));
    PostMessageW(main, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    REQUIRE(WaitFor([&] { return Shown(main); }));
    REQUIRE(Click(FindChild(main, L"Exit")));
    CHECK(WaitFor([&] { return !Shown(main); }));
    CHECK(TrayIconPresent(main)); // and the program runs on
    // A right click while hidden opens the menu; its last item, Exit, ends the program.
    PostMessageW(main, kTrayMessage, kTrayId, WM_RBUTTONDOWN);
    std::vector<HWND> menu;
    REQUIRE(WaitFor([&] { return !(menu = VisibleOfClass(stowly.pid(), L"#32768")).empty(); }));
    Shot("tray-menu.png", {menu.front()});
    PostKeys(menu.front(), {VK_UP, VK_RETURN});
    CHECK(stowly.WaitEnd(5000));
    CHECK_FALSE(TrayIconPresent(main));
}
