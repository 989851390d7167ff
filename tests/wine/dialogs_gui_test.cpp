// The dialogs of the real stowly.exe on the stand-in desktop: Icon Positions with its
// favourites and their menu, and the advanced clean and restore with their password.
#include "WineHarness.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

// The names shown beside the dialog's Browse buttons, in their order.
std::vector<std::wstring> Favourites(HWND dlg) {
    std::vector<std::wstring> names;
    for (HWND h = GetWindow(dlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (Text(h) == L"Browse") names.push_back(BoxText(GetWindow(h, GW_HWNDPREV)));
    return names;
}
HWND Browse(HWND dlg, int slot) {
    HWND h = nullptr;
    for (int i = 0; i <= slot; ++i) h = FindWindowExW(dlg, h, nullptr, L"Browse");
    return h;
}

// The box that follows its label.
HWND BoxAfter(HWND dlg, const std::wstring& label) { return GetWindow(FindChild(dlg, label), GW_HWNDNEXT); }

std::wstring Profile(const std::wstring& key) {
    wchar_t value[512] = {};
    GetPrivateProfileStringW(L"PREFS", key.c_str(), L"<none>", value, 512, (kProgramFolder / L"stowly.ini").c_str());
    return value;
}

} // namespace

TEST_CASE("Icon positions: save, scramble, load; favourites by Browse and Done, Escape, the menu. Advanced clean "
          "with a password; advanced restore asks for it in any case and offers to save a new one") {
    EmptyDesktops desktops;
    std::ofstream(desktops.user() / L"Budget.txt", std::ios::binary) << "report\r\n";
    fs::create_directories(desktops.user() / L"Photos");
    std::ofstream(desktops.user() / L"Photos" / L"sea.txt", std::ios::binary) << "sea\r\n";
    std::ofstream(desktops.common() / L"Shared.txt", std::ios::binary) << "shared\r\n";
    const Tree user = Contents(desktops.user()), common = Contents(desktops.common());
    StandinDesktop standin;
    REQUIRE(standin.Start());
    Win32Platform os;
    REQUIRE(WaitFor([&] { return Icons(os).size() == 4; }));
    const Places saved = Arrange(os, 0);
    test::TestDir folder;
    const std::wstring file = (folder.path() / L"Work.dpf").wstring();
    const std::string keyFile = folder.path().string() + "\\Mine.qvr";
    const auto password = [&] { // the key file's fifth line
        std::string text = os.ReadFile(keyFile, nullptr).value_or("");
        for (int i = 1; i < 5; ++i) text.erase(0, text.find("\r\n") + 2);
        return text.substr(0, text.find("\r\n"));
    };

    App app("[PREFS]\r\nMinSystemTray= 1\r\nAdvancedMode= 1\r\n", Wait::Made);
    PostMessageW(app.main, kTrayMessage, kTrayId, WM_LBUTTONDBLCLK);
    REQUIRE(WaitFor([&] { return IsWindowVisible(app.main) != FALSE; }));
    HWND dlg = app.Open(L"Icon Positions", L"Icon Positions");
    CHECK(IsWindowEnabled(app.main) == FALSE); // modal
    CHECK(Favourites(dlg) == std::vector<std::wstring>(4, L"Blank"));
    Shot("icon-positions.png");

    REQUIRE(Click(FindChild(dlg, L"Save Current Desktop Icon Positions")));
    ChooseFile(app.pid(), L"Save As", (folder.path() / L"Work").wstring()); // the extension comes by itself
    Answer(app.pid(), L"Your Desktop icon positions have been saved.");
    CHECK(os.ReadFile(Narrow(file), nullptr).value_or("").find("Budget.txt," +
                                                              std::to_string(saved.at("Budget.txt").first)) != std::string::npos);
    REQUIRE(Arrange(os, 3) != saved);
    REQUIRE(Click(FindChild(dlg, L"Load  Desktop Icon Positions")));
    ChooseFile(app.pid(), L"Open", file);
    Answer(app.pid(), L"Your Icons have been restored.");
    CHECK(Icons(os) == saved);

    REQUIRE(Click(Browse(dlg, 1)));
    ChooseFile(app.pid(), L"Open", L""); // cancelled: the slot stays
    REQUIRE(Click(Browse(dlg, 2)));
    ChooseFile(app.pid(), L"Open", file);
    const std::vector<std::wstring> chosen{L"Blank", L"Blank", L"Work", L"Blank"};
    CHECK(WaitFor([&] { return Favourites(dlg) == chosen; }));
    REQUIRE(Click(FindChild(dlg, L"Done")));
    REQUIRE(WaitFor([&] { return !IsWindow(dlg); }));
    CHECK(Profile(L"FavoriteLocation2") == L"Work");
    CHECK(Profile(L"FavoritePath2") == folder.path().wstring() + L"\\");
    CHECK(Profile(L"FavoriteLocation1") == L"Blank");

    // Escape drops what Browse chose: the settings file keeps its slots.
    dlg = app.Open(L"Icon Positions", L"Icon Positions");
    CHECK(Favourites(dlg) == chosen);
    REQUIRE(Click(Browse(dlg, 0)));
    ChooseFile(app.pid(), L"Open", file);
    REQUIRE(WaitFor([&] { return Favourites(dlg)[0] == L"Work"; }));
    PostKeys(dlg, {VK_ESCAPE});
    REQUIRE(WaitFor([&] { return !IsWindow(dlg); }));
    CHECK(Profile(L"FavoriteLocation0") == L"Blank");

    REQUIRE(Click(FindChild(app.main, L"Clean Desktop")));
    ChooseFile(app.pid(), L"Save As", Widen(folder.path().string() + "\\Mine"));
    HWND clean = WaitDialog(app.pid(), L"Clean Desktop (Advanced)");
    REQUIRE(clean);
    CHECK(BoxText(BoxAfter(clean, L"Closet Root Directory:")) == folder.path().wstring() + L"\\");
    CHECK(BoxText(BoxAfter(clean, L"Closet Key File:")) == L"Mine.qvr");
    for (const wchar_t* label : {L"Closet Root Directory:", L"Closet Key File:", L"Desktop Wallpaper:", L"Password:"})
        CHECK_MESSAGE(((GetWindowLongW(BoxAfter(clean, label), GWL_STYLE) & ES_READONLY) != 0) ==
                          (label != std::wstring(L"Password:")), Narrow(label));
    CHECK(BoxText(BoxAfter(clean, L"Desktop Icons && Positions:")).find(L"\tBudget.txt\r\n\tXPos: ") != std::wstring::npos);
    SetText(BoxAfter(clean, L"Password:"), L" Open Sesame");
    Shot("advanced-clean.png");
    PostKeys(clean, {VK_RETURN}); // Enter: the default button, Clean
    Answer(app.pid(), L"Your Desktop has been cleaned.");
    REQUIRE(WaitFor([&] { return !IsWindow(clean); }));
    CHECK((fs::is_empty(desktops.user()) && fs::is_empty(desktops.common())));
    CHECK(password() == "\" Open Sesame\"");

    REQUIRE(Click(FindChild(app.main, L"Restore Desktop")));
    ChooseFile(app.pid(), L"Open", Widen(keyFile));
    HWND ask = WaitDialog(app.pid(), L"Stowly");
    REQUIRE(ask);
    CHECK(FindChild(ask, L"Please enter the password:"));
    SetText(FindWindowExW(ask, nullptr, L"Edit", nullptr), L" oPEN sESAME");
    REQUIRE(Click(GetDlgItem(ask, IDOK)));
    HWND restore = WaitDialog(app.pid(), L"Restore Desktop (Advanced)");
    REQUIRE(restore);
    CHECK(BoxText(BoxAfter(restore, L"Password:")) == L" Open Sesame");
    CHECK(BoxText(BoxAfter(restore, L"Desktop Icons && Positions:")).find(L"\tShared.txt\r\n\tXPos: ") != std::wstring::npos);
    Shot("advanced-restore.png");
    SetText(BoxAfter(restore, L"Password:"), L"New secret ");
    REQUIRE(Click(FindChild(restore, L"Restore")));
    Answer(app.pid(), L"Your password changed.  Would you like to save the new password?", IDYES);
    Answer(app.pid(), L"Your Icons have been restored.");
    REQUIRE(WaitFor([&] { return !IsWindow(restore); }));
    CHECK(Contents(desktops.user()) == user);
    CHECK(Contents(desktops.common()) == common);
    CHECK(Icons(os) == saved);
    CHECK(password() == "NEW SECRET");

    // The third favourite from the notification-area menu applies the file.
    Arrange(os, 5);
    REQUIRE(Click(FindChild(app.main, L"Exit"))); // hides the window: the menu answers only then
    REQUIRE(WaitFor([&] { return IsWindowVisible(app.main) == FALSE; }));
    HWND menu = app.TrayMenu();
    PostKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
    REQUIRE(WaitFor([&] { return VisibleOfClass(app.pid(), L"#32768").size() == 2; }));
    Sleep(300);
    Shot("favorites-menu.png"); // the submenu: Blank, Blank, Work, Blank
    // Down twice reaches the third item whether or not the menu stops at the grey ones.
    PostKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});
    Answer(app.pid(), L"Your Icons have been restored.");
    CHECK(Icons(os) == saved);
}
