// The real stowly.exe on the stand-in desktop, used as a person would in one session: the
// main window with Clean and Restore, Preferences and About, the Icon Positions dialog with
// its favourites, the advanced clean and restore, the notification area. Its screenshots
// are the help's (tools/help-shots.sh) and the README's.
#include "WineHarness.h"
#include "closet/Wallpaper.h"
#include "platform/win32/Win32Platform.h"
#include "support/TestDir.h"
#include "support/TinyPictures.h"

using namespace stowly;
using namespace stowly::wine;

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

bool Shown(HWND h) { return IsWindowVisible(h) != FALSE; }

// The visible dialog of `pid` titled `title`, required.
HWND WaitDialog(DWORD pid, const std::wstring& title) {
    HWND dlg = nullptr;
    REQUIRE_MESSAGE(WaitFor([&] { return (dlg = FindWindowByTitle(pid, title, true)) && ClassName(dlg) == L"#32770"; }, 20000),
                    Narrow(title));
    return dlg;
}

// What a control of another process holds now (GetWindowText gives only its first text); a new text.
std::wstring BoxText(HWND box) {
    wchar_t text[4096] = {};
    SendMessageTimeoutW(box, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}
void SetText(HWND box, const std::wstring& text) { SendMessageW(box, WM_SETTEXT, 0, LPARAM(text.c_str())); }

// Types `name` into the file dialog titled `title` and presses OK.
void ChooseFile(DWORD pid, const std::wstring& title, const std::wstring& name) {
    HWND dlg = WaitDialog(pid, title);
    HWND box = GetDlgItem(dlg, 0x47C); // cmb13, or edt1 by style
    SetText(box ? box : GetDlgItem(dlg, 0x480), name);
    REQUIRE(Click(GetDlgItem(dlg, IDOK)));
    CHECK(WaitFor([&] { return !IsWindow(dlg); }));
}

// The program copied into kProgramFolder with `ini`, started, up to its main window; asked to
// close when the test is done.
struct App {
    explicit App(const std::string& ini) : copy(kProgramFolder, ini) {
        REQUIRE(program.Start(copy.exe));
        REQUIRE((main = WaitMainWindow(program, true)));
    }
    ~App() { program.Stop(main); }
    DWORD pid() const { return program.pid(); }
    // Presses `button` of the main window and waits for the dialog titled `title` it opens.
    HWND Open(const wchar_t* button, const std::wstring& title) const {
        REQUIRE(Click(FindChild(main, button)));
        return WaitDialog(pid(), title);
    }
    // The notification-area icon's menu (a right click on the icon).
    HWND TrayMenu() const {
        PostMessageW(main, kTrayMessage, kTrayId, WM_RBUTTONDOWN);
        std::vector<HWND> menus;
        REQUIRE(WaitFor([&] { return !(menus = VisibleOfClass(pid(), L"#32768")).empty(); }));
        return menus.front();
    }
    InstalledCopy copy;
    Program program;
    HWND main = nullptr;
};

// Presses `button` and, once the progress window says `final`, its OK; the main window's buttons are
// greyed until then.
void Run(const App& app, const wchar_t* button, const std::wstring& final, const char* shot = nullptr) {
    REQUIRE(Click(FindChild(app.main, button)));
    HWND wait = nullptr;
    REQUIRE(WaitFor([&] { return (wait = FindWindowWithChild(app.pid(), final)) != nullptr; }, 30000));
    CHECK_FALSE(IsWindowEnabled(FindChild(app.main, L"Exit")));
    if (shot) Shot(shot, {app.main});
    REQUIRE(Click(FindChild(wait, L"OK")));
    CHECK(WaitFor([&] { return !IsWindow(wait) && IsWindowEnabled(FindChild(app.main, L"Exit")); }));
    CHECK(MessageBoxes(app.pid()).empty());
}

// Clicks and waits until the click has been handled.
void Press(HWND dialog, const wchar_t* text) {
    HWND control = FindChild(dialog, text);
    REQUIRE(Click(control));
    SendMessageW(control, WM_NULL, 0, 0); // returns once the posted click is through
}
// Presses `button` of `dialog`, or `key` in it, and waits for the dialog to close.
void CloseWith(HWND dialog, const wchar_t* button, WORD key = 0) {
    if (key) PostKeys(dialog, {key});
    else REQUIRE(Click(FindChild(dialog, button)));
    REQUIRE(WaitFor([&] { return !IsWindow(dialog); }));
}

// The Icon Positions dialog's `slot`th Browse button; the favourite's name is shown before it.
HWND Browse(HWND dlg, int slot) {
    HWND h = nullptr;
    for (int i = 0; i <= slot; ++i) h = FindWindowExW(dlg, h, nullptr, L"Browse");
    return h;
}

HWND BoxAfter(HWND dlg, const std::wstring& label) { return GetWindow(FindChild(dlg, label), GW_HWNDNEXT); }

bool TrayIconPresent(HWND main) {
    NOTIFYICONDATAW nid{sizeof nid, main, kTrayId, NIF_TIP};
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE; // fails for an icon that is not there
}

} // namespace

TEST_CASE("Clean and Restore bring back every item, content, place and the wallpaper; Preferences all or nothing; "
          "About; Icon Positions and a favourite; the advanced clean and restore with the password in any case; Exit "
          "hides and is greyed in the menu while another copy works; a second copy ends silently") {
    EmptyDesktops desktops;
    for (const auto& [path, text] : {std::pair{desktops.user() / L"Shopping list.txt", "milk\r\n"},
                                     {desktops.user() / L"Holiday \u03a3\u03c7\u03ad\u03b4\u03b9\u03bf\\beach.txt", "photo"},
                                     {desktops.user() / L"desktop.ini", "hidden"}, {desktops.common() / L"Shared notes.txt", "shared\r\n"}})
        test::WriteHostFile(path, text);
    SetFileAttributesW((desktops.user() / L"desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const Tree user = Contents(desktops.user()), common = Contents(desktops.common());
    StandinDesktop standin;
    REQUIRE(standin.Start());
    Win32Platform os;
    REQUIRE(WaitFor([&] { return Icons(os).size() == 4; }));
    const IconPlaces before = Arrange(os, 2); // places no new item is given: only a restore puts them there
    test::TestDir folder;
    const std::string picture = folder.path().string() + "\\beach.bmp", plain = folder.path().string() + "\\c.bmp";
    const std::string beach = test::OnePixelBitmap(0x30, 0x90, 0xD0);
    REQUIRE(os.WriteFile(picture, beach) + os.WriteFile(plain, test::OnePixelBitmap(0xF0, 0xF0, 0xF0)) == 0);
    REQUIRE(SetRecordedWallpaper(os, picture, "10 0")); // Fill, the default of Windows 10 and 11
    const auto wallpaper = [&] { // as the registry holds it: this process's own view may lag
        return std::get<std::string>(RegValue(os, RegRoot::CurrentUser, "Control Panel\\Desktop", "Wallpaper")) + " " +
               ReadCurrentWallpaper(os).style;
    };
    const auto cleaned = [&] { return Contents(desktops.user()) == Tree{{L"desktop.ini", "hidden"}} && fs::is_empty(desktops.common()); };
    const auto restored = [&] { return Contents(desktops.user()) == user && Contents(desktops.common()) == common; };

    App app("[PREFS]\r\nDefaultWindowsBackground=" + plain + "\r\nWallPaperStyle= 1\r\n");
    Program second;
    REQUIRE(second.Start(app.copy.exe));
    bool secondShowed = false;
    CHECK(WaitFor([&] { return (secondShowed |= !TopWindows(second.pid(), Shown).empty()), second.WaitEnd(0); }));
    CHECK_FALSE(secondShowed);
    Shot("main-window.png", {app.main});
    for (const wchar_t* name : {L"Clean Desktop", L"Restore Desktop"}) { // the pointer arrives as a person's would
        REQUIRE(MoveMouseOver(FindChild(app.main, name)));
        Sleep(300);
    }
    Shot("main-window-highlighted.png", {app.main});
    Run(app, L"Clean Desktop", L"Your Desktop has been cleaned.", "progress-window.png");
    CHECK((cleaned() && wallpaper() == plain + " 1 1")); // hidden items stay
    REQUIRE(DeleteFileW(Widen(picture).c_str())); // gone meanwhile: the backup brings it back
    Run(app, L"Restore Desktop", L"Your Icons have been restored.");
    CHECK((restored() && Icons(os) == before));
    CHECK((wallpaper() == picture + " 10 0" && os.ReadFile(picture, nullptr) == beach));
    os.SetWallpaper("");

    const fs::path pictures = L"C:\\Users\\Public\\Pictures", sea = pictures / L"Sea view.jpg"; // as the help shows
    fs::create_directories(pictures);
    std::ofstream(sea, std::ios::binary) << test::kTinyJpeg;
    std::ofstream(pictures / L"Broken.jpg", std::ios::binary) << "not a picture";
    const auto runEntry = [&] { return RegValue(os, RegRoot::CurrentUser, kRunKey, "Stowly"); };
    os.RegDelete(RegRoot::CurrentUser, kRunKey, "Stowly");
    const std::string ini = Narrow((kProgramFolder / L"stowly.ini").wstring());
    std::wstring upper = kProgramFolder.wstring() + L"\\"; // as the program names it: upper case
    CharUpperW(upper.data());
    const std::string bmp = Narrow(upper) + "StowlyWallpaper.bmp", settings = os.ReadFile(ini, nullptr).value_or("");
    // A picture that cannot be converted is reported; the dialog stays open and nothing is stored.
    PostKeys(app.main, {VK_ESCAPE}); // Escape in the main window opens Preferences
    HWND prefs = WaitDialog(app.pid(), L"Preferences");
    HWND box = FindWindowExW(prefs, nullptr, L"Edit", nullptr);
    SetText(box, (pictures / L"Broken.jpg").wstring());
    Press(prefs, L"Run on Start Up");
    Press(prefs, L"Stretch");
    REQUIRE(Click(FindChild(prefs, L"Done")));
    Answer(app.pid(), L"Please contact Orvenko, Inc..\rError Number:105481 from module PreferenceDone", IDOK, L"Error");
    CHECK(IsWindowVisible(prefs));
    CHECK((os.ReadFile(ini, nullptr).value_or("") == settings && !os.Attributes(bmp).exists && runEntry() == RegData{}));
    SetText(box, sea.wstring());
    Shot("preferences.png", {prefs});
    CloseWith(prefs, L"Done");
    const auto converted = os.DecodePicture(bmp, nullptr).value();
    CHECK((converted.width == test::kTinyWidth && converted.height == test::kTinyHeight && os.ReadFile(bmp, nullptr)->starts_with("BM")));
    const std::string written = os.ReadFile(ini, nullptr).value_or("");
    for (const std::string& line : {"DefaultWindowsBackground=" + bmp, std::string("RunOnStartUP= 1"),
                                    std::string("WallPaperStyle= 2")})
        CHECK_MESSAGE(written.find("\r\n" + line + "\r\n") != std::string::npos, line);
    CHECK(runEntry() == RegData("\"" + Narrow(upper) + "stowly.exe\""));
    prefs = app.Open(L"Preferences", L"Preferences"); // unticked and Done, the entry goes
    for (const wchar_t* tick : {L"Run on Start Up", L"Minimize to System Tray", L"Turn on Advanced Mode"})
        Press(prefs, tick);
    CloseWith(prefs, L"Done");
    CHECK((runEntry() == RegData{} && os.ReadFile(ini, nullptr).value_or("").find("\r\nRunOnStartUP= 0\r\n") != std::string::npos));
    HWND about = app.Open(L"About", L"About Stowly(tm)");
    CHECK(FindChild(about, L"Version " + Widen(kVersion)));
    Shot("about.png", {about});
    CloseWith(about, nullptr, VK_RETURN); // the default button, OK

    const std::wstring file = (folder.path() / L"Work.dpf").wstring();
    HWND dlg = app.Open(L"Icon Positions", L"Icon Positions");
    Shot("icon-positions.png");
    REQUIRE(Click(FindChild(dlg, L"Save Current Desktop Icon Positions")));
    ChooseFile(app.pid(), L"Save As", (folder.path() / L"Work").wstring()); // the extension comes by itself
    Answer(app.pid(), L"Your Desktop icon positions have been saved.");
    REQUIRE(Click(Browse(dlg, 2)));
    ChooseFile(app.pid(), L"Open", file);
    CHECK(WaitFor([&] { return BoxText(GetWindow(Browse(dlg, 2), GW_HWNDPREV)) == L"Work"; }));
    CloseWith(dlg, L"Done");
    CHECK(os.ReadFile(ini, nullptr).value_or("").find("\r\nFavoritePath2=" + folder.path().string() + "\\\r\n") != std::string::npos);

    // How a password is stored, a changed one trimmed and upper-cased, is advanced_closet_test's; here it arrives as typed.
    const std::string keyFile = folder.path().string() + "\\Mine.qvr";
    REQUIRE(Click(FindChild(app.main, L"Clean Desktop")));
    ChooseFile(app.pid(), L"Save As", Widen(folder.path().string() + "\\Mine"));
    HWND clean = WaitDialog(app.pid(), L"Clean Desktop (Advanced)");
    CHECK(BoxText(BoxAfter(clean, L"Desktop Icons && Positions:")).find(L"\tShared notes.txt\r\n\tXPos: ") !=
          std::wstring::npos);
    SetText(BoxAfter(clean, L"Password:"), L" Open Sesame");
    Shot("advanced-clean.png");
    PostKeys(clean, {VK_RETURN}); // Enter: the default button, Clean
    Answer(app.pid(), L"Your Desktop has been cleaned.");
    REQUIRE(WaitFor([&] { return !IsWindow(clean); }));
    CHECK(cleaned());
    REQUIRE(Click(FindChild(app.main, L"Restore Desktop")));
    ChooseFile(app.pid(), L"Open", Widen(keyFile));
    HWND ask = WaitDialog(app.pid(), L"Stowly");
    SetText(FindWindowExW(ask, nullptr, L"Edit", nullptr), L" oPEN sESAME");
    REQUIRE(Click(GetDlgItem(ask, IDOK)));
    HWND restore = WaitDialog(app.pid(), L"Restore Desktop (Advanced)");
    CHECK(BoxText(BoxAfter(restore, L"Password:")) == L" Open Sesame");
    Shot("advanced-restore.png");
    SetText(BoxAfter(restore, L"Password:"), L"New secret ");
    REQUIRE(Click(FindChild(restore, L"Restore")));
    Answer(app.pid(), L"Your password changed.  Would you like to save the new password?", IDYES);
    Answer(app.pid(), L"Your Icons have been restored.");
    REQUIRE(WaitFor([&] { return !IsWindow(restore); }));
    CHECK((restored() && Icons(os) == before));

    REQUIRE(Click(FindChild(app.main, L"Exit"))); // with Minimize to System Tray, Exit hides; the program runs on
    REQUIRE(WaitFor([&] { return !Shown(app.main); }));
    CHECK(TrayIconPresent(app.main));
    { // while any copy cleans or restores (its lock is held here), the menu's Exit is greyed
        KernelHandle lock(CreateMutexW(nullptr, FALSE, L"Local\\Stowly.Operation"));
        HWND menu = app.TrayMenu();
        Sleep(500); // until the menu takes keys
        PostKeys(menu, {VK_UP, VK_RETURN});
        CHECK_FALSE(app.program.WaitEnd(1000));
        PostKeys(menu, {VK_ESCAPE});
        CHECK(WaitFor([&] { return VisibleOfClass(app.pid(), L"#32768").empty(); }));
    }
    Arrange(os, 5); // the third favourite from the menu applies the file
    HWND menu = app.TrayMenu();
    Shot("tray-menu.png", {menu});
    PostKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
    REQUIRE(WaitFor([&] { return VisibleOfClass(app.pid(), L"#32768").size() == 2; }));
    Sleep(300);
    Shot("favorites-menu.png"); // the submenu: Blank, Blank, Work, Blank
    // Down twice reaches the third item whether or not the menu stops at the grey ones.
    PostKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});
    Answer(app.pid(), L"Your Icons have been restored.");
    CHECK(Icons(os) == before);
    menu = app.TrayMenu(); // its last item, Exit, ends the program
    PostKeys(menu, {VK_UP, VK_RETURN});
    CHECK(app.program.WaitEnd(5000));
    CHECK_FALSE(TrayIconPresent(app.main));
}
