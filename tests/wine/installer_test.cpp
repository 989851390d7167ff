// The installer and uninstaller that ship (tools/package.sh), run silently as a script
// would: the installed program opens its help, and the uninstaller takes the program
// and its start-up entries away but leaves the closet and the settings.
#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

const fs::path kFolder = L"C:\\Stowly installer test\\Stowly";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Stowly";

} // namespace

TEST_CASE("Installed silently, the program starts in the notification area and opens its help; a silent "
          "uninstall removes the program and its start-up entries but leaves the closet and the settings") {
    Win32Platform os;
    const std::string dir = Narrow(kFolder.wstring()) + "\\";
    const auto clear = [&] {
        std::error_code ec;
        fs::remove_all(kFolder.parent_path(), ec);
        for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine}) os.RegDelete(root, kRunKey, "Stowly");
        RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kUninstallKey).c_str());
    };
    const auto read = [&](const fs::path& p) { return os.ReadFile(Narrow(p.wstring()), nullptr).value_or("<none>"); };
    clear();
    Program setup;
    REQUIRE(setup.Start(BuildPath("stowly-" + kVersion + "-setup.exe"), L"/S /D=" + kFolder.wstring()));
    REQUIRE(setup.WaitEnd(120000));
    CHECK(read(kFolder / L"stowly.exe") == read(BuildPath("stowly.exe")));
    REQUIRE(os.WriteFile(dir + "stowly.ini", "[PREFS]\r\nMinSystemTray= 1\r\n") == 0); // it starts hidden
    {
        Program stowly;
        REQUIRE(stowly.Start(kFolder / L"stowly.exe"));
        HWND main = WaitMainWindow(stowly);
        REQUIRE(main);
        Sleep(500);
        CHECK(TopWindows(stowly.pid(), [](HWND h) { return IsWindowVisible(h) != FALSE; }).empty());
        PostMessageW(main, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK); // the icon's double click shows it
        REQUIRE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
        REQUIRE(Click(FindChild(main, L"Help")));
        HWND help = nullptr; // the viewer's window is titled by the help file it opened
        CHECK(WaitFor([&] { return (help = FindWindowW(L"HH Parent", L"Stowly Help")) != nullptr; }));
        PostMessageW(help, WM_CLOSE, 0, 0);
        CHECK(WaitFor([&] { return !IsWindow(help); }));
        REQUIRE(Click(FindChild(main, L"Exit"))); // hides it again: it runs on in the notification area
        CHECK(WaitFor([&] { return IsWindowVisible(main) == FALSE; }));
        CHECK_FALSE(stowly.WaitEnd(500));
    }

    // A cleaned desktop, settings and start-at-logon entries as the program writes them (its folder in upper case).
    std::string upper = dir;
    CharUpperA(upper.data());
    REQUIRE(os.CreateFolder(dir + "QuickClean"));
    const std::pair<std::string, std::string> kept[] = {{"QuickClean\\Shopping list.txt", "milk\r\n"},
        {"QuickClean.qvr", "key\r\n"}, {"stowly.ini", "[PREFS]\r\nRunOnStartUP= 1\r\n"}};
    for (const auto& [name, text] : kept) REQUIRE(os.WriteFile(dir + name, text) == 0);
    REQUIRE(os.RegWrite(RegRoot::CurrentUser, kRunKey, "Stowly", "\"" + upper + "stowly.exe\"", true) == 0);
    REQUIRE(os.RegWrite(RegRoot::LocalMachine, kRunKey, "Stowly", upper + "stowly.exe", true) == 0);
    Program uninstall;
    REQUIRE(uninstall.Start(kFolder / L"uninstall.exe", L"/S"));
    REQUIRE(uninstall.WaitEnd(120000));
    // It runs on from a copy of itself in the temporary folder: done once its file and its entry are gone.
    REQUIRE(WaitFor([&] {
        return RegValue(os, RegRoot::CurrentUser, kUninstallKey, "UninstallString") == RegData{} &&
               !fs::exists(kFolder / L"uninstall.exe");
    }, 60000));
    CHECK_FALSE(fs::exists(kFolder / L"stowly.exe"));
    CHECK(RegValue(os, RegRoot::CurrentUser, kRunKey, "Stowly") == RegData{});
    CHECK(RegValue(os, RegRoot::LocalMachine, kRunKey, "Stowly") == RegData{});
    for (const auto& [name, text] : kept) CHECK(read(dir + name) == text);
    clear();
}
